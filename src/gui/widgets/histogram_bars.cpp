#include "gui/widgets/histogram_bars.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "core/engine/assessment.h"

namespace trb::gui {

HistogramBars::HistogramBars(QWidget* parent) : QWidget(parent) {
  auto* outer = new QVBoxLayout(this);
  auto* heading = new QLabel(QStringLiteral("experiment - modell:"), this);
  heading->setObjectName(QStringLiteral("histogramHeading"));
  QFont f = heading->font();
  f.setBold(true);
  heading->setFont(f);
  outer->addWidget(heading);
  auto* grid = new QGridLayout;
  for (int i = 0; i < 7; ++i) {
    auto* bar = new QProgressBar(this);
    bar->setObjectName(QStringLiteral("bar%1").arg(i + 1));
    bar->setOrientation(Qt::Vertical);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setFormat(QStringLiteral("%v%"));
    bar->setTextVisible(true);
    bar->setMinimumHeight(160);
    bars_[i] = bar;
    // the share above the bar: vertical bars of most styles show no text
    auto* share = new QLabel(QStringLiteral("0%"), this);
    share->setAlignment(Qt::AlignHCenter);
    connect(bar, &QProgressBar::valueChanged, share,
            [share](int v) { share->setText(QString::number(v) + u'%'); });
    grid->addWidget(share, 0, i);
    grid->addWidget(bar, 1, i, Qt::AlignHCenter);
    auto* label = new QLabel(trb::engine::kClassLabels[i], this);
    label->setAlignment(Qt::AlignHCenter);
    grid->addWidget(label, 2, i);
  }
  outer->addLayout(grid, 1);
}

void HistogramBars::setBars(const std::array<int, 7>& bars) {
  for (int i = 0; i < 7; ++i) bars_[i]->setValue(bars[i]);
}

void HistogramBars::reset() {
  setBars({});
}

int HistogramBars::bar(int index) const {
  return bars_[index]->value();
}

}  // namespace trb::gui
