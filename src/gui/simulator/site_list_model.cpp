#include "gui/simulator/site_list_model.h"

namespace trb::gui {

using trb::engine::SiteRow;

SiteListModel::SiteListModel(QObject* parent)
    : RowModel<SiteRow>(
          {
              {tr("plot"), [](const SiteRow& r) { return QVariant(r.flId); }},
              {tr("site"), [](const SiteRow& r) { return QVariant(r.siteDescription); }},
              {tr("location"), [](const SiteRow& r) { return QVariant(r.location); }},
              {tr("climate station"), [](const SiteRow& r) { return QVariant(r.station); }},
              {tr("soil profile"), [](const SiteRow& r) { return QVariant(r.profile); }},
          },
          parent) {}

}  // namespace trb::gui
