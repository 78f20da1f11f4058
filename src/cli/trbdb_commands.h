// The commands of trbdb, one function each; arguments after the command name.
#pragma once

#include <QStringList>

namespace trb::cli {

int cmdCreate(const QStringList& args);
int cmdSql(const QStringList& args);
int cmdImport(const QStringList& args);
int cmdStats(const QStringList& args);
int cmdNbalance(const QStringList& args);
int cmdTransfer(const QStringList& args);
int cmdReport(const QStringList& args);
int cmdRisImport(const QStringList& args);
int cmdFitStart(const QStringList& args);
int cmdSteadyState(const QStringList& args);

}  // namespace trb::cli
