#include "core/engine/assessment.h"

#include <cmath>

#include "core/db/database.h"
#include "core/db/numbers.h"

namespace trb::engine {

int error_class(double d) {
  for (int c = 0; c < 7; ++c)
    if (d <= kClassBounds[c]) return c + 1;
  return 7;
}

void Assessment::reset() {
  *this = Assessment();
}

int Assessment::add(double measured, double simulated) {
  lastMeas_ = measured;
  lastSim_ = simulated;
  const double d = measured - simulated;
  ++n_;
  sum_ += d;
  sumsq_ += d * d;
  const int c = error_class(d);
  ++counts_[c - 1];
  bars_[c - 1] = static_cast<int>(round_half_even(100.0 * counts_[c - 1] / n_));
  return c;
}

QStringList Assessment::summary() const {
  QStringList out;
  if (n_ <= 0) return out;
  for (int c = 1; c <= 7; ++c) {
    const double share = round_to(100.0 * counts_[c - 1] / n_, 1);
    const QString bound =
        c < 7 ? u'<' + fmt_general(kClassBounds[c - 1]) : u'>' + fmt_general(kClassBounds[5]);
    out << QStringLiteral(" CL") + QString::number(c) + bound + QStringLiteral("=>") +
               QString::number(counts_[c - 1]) + QStringLiteral(" / ") + fmt_general(share) + u'%';
  }
  const double me = sum_ / n_;
  out << QStringLiteral(" N=") + QString::number(n_);
  out << QStringLiteral(" mean error=") + fmt_general(me);
  out << QStringLiteral(" RMSE      =") + fmt_general(std::sqrt(sumsq_ / n_));
  if (n_ > 1) {
    const Protocol p = protocol();
    out << QStringLiteral(" s =") + fmt_general(p.s);
    out << QStringLiteral(" smw=") + fmt_general(p.smw);
    out << (p.smw > std::fabs(me) ? QStringLiteral("        no significant bias detected")
                                  : QStringLiteral("        bias detected"));
  }
  return out;
}

Assessment::Protocol Assessment::protocol() const {
  Protocol p;
  p.n = n_;
  if (n_ > 0) {
    p.mean_error = sum_ / n_;
    p.rmsd = std::sqrt(sumsq_ / n_);
  }
  if (n_ > 1) {
    // rounding can make the variance of nearly equal errors slightly negative
    const double s2 = std::max(0.0, (sumsq_ - sum_ * sum_ / n_) / (n_ - 1));
    p.s = std::sqrt(s2);
    p.smw = std::sqrt(s2 / n_);
    p.bias = !(p.smw > std::fabs(p.mean_error));
  }
  return p;
}

void Assessment::store_protocol(trb::db::Database& db, qlonglong lastPlot, int runId,
                                const QDate& date) const {
  const Protocol p = protocol();
  db.execute(
      QStringLiteral(R"sql(
INSERT INTO trb_protokoll (fl_id, run_id, mean_error, RMSD, S, smw,
N_, bias, datum_) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?))sql"),
      {lastPlot, runId, p.mean_error, p.rmsd, p.s, p.smw, p.n, p.bias, date.toString(Qt::ISODate)});
}

}  // namespace trb::engine
