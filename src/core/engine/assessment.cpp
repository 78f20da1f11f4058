#include "core/engine/assessment.h"

#include <algorithm>
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
  const long double o = measured, sim = simulated;
  sumO_ += o;
  sumS_ += sim;
  sumO2_ += o * o;
  sumS2_ += sim * sim;
  sumOS_ += o * sim;
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
  const Moments m = moments();
  out << QStringLiteral(" N=") + QString::number(n_);
  out << QStringLiteral(" mean error=") + fmt_general(m.me);
  out << QStringLiteral(" RMSE      =") + fmt_general(m.rmse);
  if (n_ > 1) {
    out << QStringLiteral(" s =") + fmt_general(m.s);
    out << QStringLiteral(" smw=") + fmt_general(m.smw);
    out << (m.smw > std::fabs(m.me) ? QStringLiteral("        no significant bias detected")
                                    : QStringLiteral("        bias detected"));
  }
  return out;
}

Assessment::Moments Assessment::moments() const {
  // the statistics' formulas: ME = (ΣO − ΣS)/n, MSD = ΣO² + ΣS² − 2ΣOS
  Moments m;
  const long double n = n_;
  m.me = (sumO_ - sumS_) / n;
  const long double msd = std::max<long double>(0, sumO2_ + sumS2_ - 2 * sumOS_);
  m.rmse = std::sqrt(msd / n);
  if (n_ > 1) {
    // rounding can make the variance of nearly equal errors slightly negative
    const long double s2 = std::max<long double>(0, (msd - (sumO_ - sumS_) * m.me) / (n - 1));
    m.s = std::sqrt(s2);
    m.smw = std::sqrt(s2 / n);
  }
  return m;
}

Assessment::Protocol Assessment::protocol() const {
  Protocol p;
  p.n = n_;
  if (n_ == 0) return p;
  const Moments m = moments();
  p.mean_error = double(m.me);
  p.rmsd = double(m.rmse);
  if (n_ > 1) {
    p.s = double(m.s);
    p.smw = double(m.smw);
    p.bias = !(m.smw > std::fabs(m.me));
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
