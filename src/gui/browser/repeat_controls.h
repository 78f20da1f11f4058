// The repeat controls of a model run: "repeat" (how many times the years are run again, 0 for
// none) "X" "from" (the first year of a repeated cycle, -99 for none). "Basic-Info" and the
// selection panel each have their own.
#pragma once

#include <QWidget>
#include <optional>

class QLineEdit;
class QSpinBox;

namespace trb::gui {

class RepeatControls : public QWidget {
  Q_OBJECT
 public:
  // maxRepeat bounds "repeat"; namePrefix goes before the object names of the two fields.
  RepeatControls(int maxRepeat, const QString& namePrefix, QWidget* parent = nullptr);

  // "from" as a whole number; empty when it holds anything else.
  std::optional<int> firstYear() const;
  int repeatCount() const;

  QSpinBox* repeatBox = nullptr;  // "repeat"
  QLineEdit* fromEdit = nullptr;  // "from"
};

}  // namespace trb::gui
