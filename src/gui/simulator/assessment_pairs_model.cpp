#include "gui/simulator/assessment_pairs_model.h"

#include "core/db/numbers.h"

namespace trb::gui {

using trb::engine::AssessmentPair;

namespace {

// Soil carbon in % to four decimals, in the general format of the user's locale.
QVariant carbon(double value) {
  return trb::fmt_general(trb::round_to(value, 4));
}

constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;

}  // namespace

AssessmentPairsModel::AssessmentPairsModel(QObject* parent)
    : RowModel<AssessmentPair>(
          {
              {tr("year"), [](const AssessmentPair& p) { return QVariant(p.year); }, kRight},
              {tr("measured C (%)"), [](const AssessmentPair& p) { return carbon(p.measured); },
               kRight},
              {tr("simulated C (%)"), [](const AssessmentPair& p) { return carbon(p.simulated); },
               kRight},
              {tr("measured - simulated"),
               [](const AssessmentPair& p) { return carbon(p.measured - p.simulated); }, kRight},
              {tr("measurement"), [](const AssessmentPair& p) { return QVariant(p.measId); },
               kRight},
          },
          parent) {}

}  // namespace trb::gui
