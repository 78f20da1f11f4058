#include "gui/parameters/organic_matter_page.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace trb::gui {

OrganicMatterPage::OrganicMatterPage(trb::db::Database& db, QWidget* parent)
    : ParameterTablePage(db, QStringLiteral("SLVOPSPA"),
                         {{QStringLiteral("item_ix"), QStringLiteral("item_ix")},
                          {QStringLiteral("od"), QStringLiteral("od")},
                          {QStringLiteral("name"), QStringLiteral("name")},
                          {QStringLiteral("k"), QStringLiteral("k")},
                          {QStringLiteral("eta"), QStringLiteral("eta")},
                          {QStringLiteral("cnr"), QStringLiteral("cnr")},
                          {QStringLiteral("cnr_alt"), QStringLiteral("cnr_alt")},
                          {QStringLiteral("ts_gehalt"), QStringLiteral("ts_gehalt")},
                          {QStringLiteral("c_geh_ts"), QStringLiteral("c_geh_ts")},
                          {QStringLiteral("ros_ix"), QStringLiteral("ros_ix")}},
                         parent) {
  auto* choices = new QHBoxLayout;
  allChoice = new QRadioButton(tr("all"), this);
  allChoice->setObjectName(QStringLiteral("allChoice"));
  residuesChoice = new QRadioButton(tr("residues"), this);
  residuesChoice->setObjectName(QStringLiteral("residuesChoice"));
  substratesChoice = new QRadioButton(tr("substrates"), this);
  substratesChoice->setObjectName(QStringLiteral("substratesChoice"));
  auto* group = new QButtonGroup(this);
  for (QRadioButton* b : {allChoice, residuesChoice, substratesChoice}) {
    group->addButton(b);
    choices->addWidget(b);
  }
  choices->addStretch(1);
  allChoice->setChecked(true);
  layout_->insertLayout(0, choices);
  // od is yes/no: true (-1) marks the organic fertilisers
  connect(allChoice, &QRadioButton::clicked, this, [this] { setFilter(QString(), QVariant()); });
  connect(residuesChoice, &QRadioButton::clicked, this,
          [this] { setFilter(QStringLiteral("od"), 0); });
  connect(substratesChoice, &QRadioButton::clicked, this,
          [this] { setFilter(QStringLiteral("od"), -1); });
}

void OrganicMatterPage::clearFilter() {
  allChoice->setChecked(true);
  setFilter(QString(), QVariant());
}

}  // namespace trb::gui
