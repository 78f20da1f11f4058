// libFuzzer harness for the dialect translator and the script splitter: any text must come back
// as a translation or a DialectError, never as a crash, a hang or undefined behaviour.
// Built by hand with clang (see build.sh); not part of the default build.
#include <QCoreApplication>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <exception>

#include "core/db/dialect.h"
#include "core/db/script.h"

namespace {

// A schema in which every table has the same three columns and every probe fails, so that
// make-table and insert translations run without a database.
class FakeSchema : public trb::db::dialect::Schema {
 public:
  QList<trb::db::dialect::ColumnInfo> tableColumns(const QString&) override {
    return {{QStringLiteral("a"), QStringLiteral("INTEGER")},
            {QStringLiteral("b"), QStringLiteral("TEXT")},
            {QStringLiteral("c"), QStringLiteral("REAL")}};
  }
  QList<trb::db::dialect::ColumnInfo> resultColumns(const QString& sql) override {
    if (sql.size() % 2) throw std::runtime_error("no such table");
    return {{QStringLiteral("x"), QString()}};
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64 * 1024) return 0;
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
  for (const trb::db::Batch& b : trb::db::splitBatches(text)) {
    (void)trb::db::returnsRows(b.text);
    FakeSchema schema;
    try {
      (void)trb::db::dialect::translate(b.text, schema);
    } catch (const trb::db::dialect::DialectError&) {
    }
  }
  return 0;
}
