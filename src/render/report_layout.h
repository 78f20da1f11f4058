// The layouts of the report definitions: each builds the document of one report from the rows its
// data connection gives. The German twin ("D_...") takes its texts from the German catalogue,
// whatever language the windows show.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "core/reports/report_data.h"
#include "render/report_document.h"

namespace trb::render {

ReportDocument layoutManagement(const trb::reports::ManagementReport& data, bool german);
ReportDocument layoutMeasurement(const trb::reports::MeasurementReport& data, bool german);
ReportDocument layoutSiteConditions(const QList<trb::reports::SiteConditionRow>& rows, bool german);
ReportDocument layoutSiteDescription(const trb::reports::SiteDescriptionReport& data, bool german);
ReportDocument layoutReferences(const QList<trb::reports::ReferenceRow>& rows);
ReportDocument layoutResults(const trb::reports::ResultReport& data, bool german);

// True when the captions are German (the caption language of trb::app): the window's commands
// then render the "D_" twins.
bool germanReports();

// The text of a layout in the chosen variant: the source text, or its German twin from the
// catalogue (the source text where the catalogue has none).
QString reportText(const char* source, bool german);

}  // namespace trb::render
