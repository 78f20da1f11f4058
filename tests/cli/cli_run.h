// Runs one of the programs as a script would, in a folder of the test's, away from the user's
// settings.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace trb::test {

struct Run {
  int code = -1;
  QString out, err;
};

inline Run run(const QString& program, const QStringList& args, const QString& cwd) {
  QProcess p;
  p.setWorkingDirectory(cwd);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), cwd);  // not the user's settings
  p.setProcessEnvironment(env);
  p.start(program, args);
  p.waitForFinished(120000);
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
          QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace trb::test
