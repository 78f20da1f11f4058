#include "gui/widgets/histogram_bars.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "core/db/numbers.h"
#include "core/engine/assessment.h"

namespace trb::gui {

HistogramBars::HistogramBars(QWidget* parent) : QWidget(parent) {
  auto* outer = new QVBoxLayout(this);
  heading_ = new QLabel(this);
  heading_->setObjectName(QStringLiteral("histogramHeading"));
  QFont f = heading_->font();
  f.setBold(true);
  heading_->setFont(f);
  outer->addWidget(heading_);
  auto* grid = new QGridLayout;
  for (int i = 0; i < 7; ++i) {
    auto* bar = new QProgressBar(this);
    bar->setObjectName(QStringLiteral("bar%1").arg(i + 1));
    bar->setOrientation(Qt::Vertical);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setMinimumHeight(100);
    bars_[i] = bar;
    // the share above the bar: vertical bars of most styles show no text
    auto* share = new QLabel(this);
    share->setObjectName(QStringLiteral("share%1").arg(i + 1));
    share->setAlignment(Qt::AlignHCenter);
    shares_[i] = share;
    grid->addWidget(share, 0, i);
    grid->addWidget(bar, 1, i, Qt::AlignHCenter);
    auto* label = new QLabel(trb::engine::kClassLabels[i], this);
    label->setAlignment(Qt::AlignHCenter);
    grid->addWidget(label, 2, i);
  }
  outer->addLayout(grid, 1);
  reset();
}

void HistogramBars::setCounts(const std::array<int, 7>& counts, int n) {
  heading_->setText(QStringLiteral("experiment - modell:   N=") + QString::number(n));
  for (int i = 0; i < 7; ++i) {
    const double share = n > 0 ? trb::round_to(100.0 * counts[i] / n, 1) : 0.0;
    bars_[i]->setValue(static_cast<int>(trb::round_half_even(share)));
    shares_[i]->setText(trb::fmt_general(share) + u'%');
  }
}

void HistogramBars::reset() {
  setCounts({}, 0);
}

int HistogramBars::bar(int index) const {
  return bars_[index]->value();
}

QString HistogramBars::share(int index) const {
  return shares_[index]->text();
}

QString HistogramBars::heading() const {
  return heading_->text();
}

}  // namespace trb::gui
