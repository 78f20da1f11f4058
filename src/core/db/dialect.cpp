#include "core/db/dialect.h"

namespace trb::db::dialect {

char typeKind(const QString& declType) {
  const QString t = declType.toUpper();
  if (t.startsWith(u"YESNO")) return 'b';
  if (t.startsWith(u"DATETIME")) return 'd';
  if (t.contains(u"INT")) return 'i';
  if (t.contains(u"CHAR") || t.contains(u"TEXT") || t.contains(u"CLOB")) return 't';
  if (t.contains(u"REAL") || t.contains(u"FLOA") || t.contains(u"DOUB")) return 'r';
  return '?';
}

Translation translate(const QString& accessSql, Schema&) {
  Translation t;
  t.statements << accessSql;
  return t;
}

}  // namespace trb::db::dialect
