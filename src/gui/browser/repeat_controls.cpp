#include "gui/browser/repeat_controls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

namespace trb::gui {

RepeatControls::RepeatControls(int maxRepeat, const QString& namePrefix, QWidget* parent)
    : QWidget(parent) {
  const auto name = [&namePrefix](const QString& base) {
    if (namePrefix.isEmpty()) return base;
    return namePrefix + base.at(0).toUpper() + base.mid(1);
  };
  repeatBox = new QSpinBox(this);
  repeatBox->setObjectName(name(QStringLiteral("repeatBox")));
  repeatBox->setRange(0, maxRepeat);
  fromEdit = new QLineEdit(QStringLiteral("-99"), this);
  fromEdit->setObjectName(name(QStringLiteral("fromEdit")));
  fromEdit->setMaximumWidth(fromEdit->fontMetrics().horizontalAdvance(QStringLiteral("000000")) +
                            16);
  auto* l = new QHBoxLayout(this);
  l->setContentsMargins(0, 0, 0, 0);
  l->addWidget(new QLabel(tr("repeat"), this));
  l->addWidget(repeatBox);
  l->addWidget(new QLabel(QStringLiteral("X"), this));
  l->addWidget(new QLabel(tr("from"), this));
  l->addWidget(fromEdit);
}

std::optional<int> RepeatControls::firstYear() const {
  bool ok = false;
  const int year = fromEdit->text().trimmed().toInt(&ok);
  if (!ok) return std::nullopt;
  return year;
}

int RepeatControls::repeatCount() const {
  return repeatBox->value();
}

}  // namespace trb::gui
