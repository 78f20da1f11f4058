#include "core/external/r_run.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <cstring>

#include "core/base/error.h"

namespace trb::external {

QString quotedPath(const QString& path) {
  return path.contains(u' ') ? u'"' + path + u'"' : path;
}

QString rBatchParameters(const QString& scriptPath, const QString& resultPath) {
  return QStringLiteral("CMD BATCH --slave ") + quotedPath(scriptPath) + u' ' +
         quotedPath(resultPath);
}

QString rProfileText() {
  return QStringLiteral(R"r(# trb's R start profile (written by trb, rewritten at every R run).
# The user's own profile runs first, as R would have run it.
local({
  own <- Sys.getenv("TRB_R_PROFILE_USER")
  if (!nzchar(own)) {
    own <- if (file.exists(".Rprofile")) ".Rprofile" else path.expand("~/.Rprofile")
  }
  if (file.exists(own)) source(own, local = globalenv())
})

# Changes to RODBC, made when it loads (or at once when it is loaded already): each replaces a
# function of the package where both the package and the scripts find it.
local({
  trbReplace <- function(name, f) {
    ns <- asNamespace("RODBC")
    unlockBinding(name, ns)
    assign(name, f, envir = ns)
    lockBinding(name, ns)
    if ("package:RODBC" %in% search()) {
      pkg <- as.environment("package:RODBC")
      unlockBinding(name, pkg)
      assign(name, f, envir = pkg)
      lockBinding(name, pkg)
    }
  }

  # The SQLite ODBC driver reports no row counts: RODBC must not believe them (else every query
  # returns no rows), and it fetches one row at a time.
  trbRodbcDefaults <- function() {
    f <- get("odbcDriverConnect", envir = asNamespace("RODBC"))
    fm <- formals(f)
    fm$believeNRows <- FALSE
    fm$rows_at_time <- 1
    formals(f) <- fm
    trbReplace("odbcDriverConnect", f)
  }

  # The database declares some columns in another case than the queries spell them (SIM_value
  # for SIM_VALUE); R tells names apart by case. A column of sqlQuery's result that the query
  # names takes the query's spelling, the select list's first.
  trbQuerySpelling <- function() {
    plain <- get("sqlQuery", envir = asNamespace("RODBC"))
    if (isTRUE(attr(plain, "trbSpelling"))) return(invisible())
    spelled <- function(channel, query, ...) {
      res <- plain(channel, query, ...)
      if (!is.data.frame(res) || !is.character(query)) return(res)
      q <- paste(query, collapse = " ")
      words <- function(t) regmatches(t, gregexpr("[A-Za-z_][A-Za-z0-9_]*", t))[[1]]
      sel <- regmatches(q, regexpr("(?is)\\bselect\\b.*?\\bfrom\\b", q, perl = TRUE))
      pool <- c(if (length(sel)) words(sel), words(q))
      nm <- names(res)
      for (i in seq_along(nm)) {
        hit <- pool[tolower(pool) == tolower(nm[i])]
        if (length(hit)) nm[i] <- hit[1]
      }
      names(res) <- nm
      res
    }
    attr(spelled, "trbSpelling") <- TRUE
    trbReplace("sqlQuery", spelled)
  }

  trbRodbc <- function(...) {
    trbRodbcDefaults()
    trbQuerySpelling()
  }
  if (isNamespaceLoaded("RODBC")) trbRodbc()
  else setHook(packageEvent("RODBC", "onLoad"), trbRodbc)
})
)r");
}

QString writeRProfile() {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
  if (folder.isEmpty() || !QDir().mkpath(folder)) return QString();
  const QString path = QDir(folder).filePath(QStringLiteral("trb_Rprofile.R"));
  const QByteArray text = rProfileText().toUtf8();
  QFile old(path);
  if (old.open(QIODevice::ReadOnly) && old.readAll() == text) return path;
  old.close();
  QSaveFile out(path);
  if (!out.open(QIODevice::WriteOnly)) return QString();
  out.write(text);
  return out.commit() ? path : QString();
}

QProcessEnvironment rEnvironment(const QString& profilePath, QProcessEnvironment base) {
  if (profilePath.isEmpty()) return base;
  const QString own = base.value(QStringLiteral("R_PROFILE_USER"));
  // the value of an earlier run through trb is trb's own profile, not the user's
  if (!own.isEmpty() && own != profilePath) base.insert(QStringLiteral("TRB_R_PROFILE_USER"), own);
  base.insert(QStringLiteral("R_PROFILE_USER"), profilePath);
  return base;
}

void startR(Launcher& launcher, const RRun& run) {
  launcher.applicationName = run.rCall;
  launcher.currentDir = run.folder;
  launcher.showType = run.showType;
  // R runs in the folder: the names are given relative to it. R's own batch script on Linux
  // passes its file names on unquoted, so a folder with blanks works only this way.
  launcher.parameters = rBatchParameters(run.script, run.result);
  launcher.environment = rEnvironment(writeRProfile());
  launcher.execute();
}

void runR(const RRun& run) {
  Launcher launcher;
  startR(launcher, run);
  const int code = launcher.resultCode();
  if (code != -1)
    throw trb::Error(
        QCoreApplication::translate("trb::gui::RRunner", "R cannot be started: %1\n%2 (error %3)")
            .arg(QDir::toNativeSeparators(run.rCall), QString::fromLocal8Bit(std::strerror(code)))
            .arg(code),
        QStringLiteral("R"));
  launcher.waitForEnd();
}

QStringList pictureNames(const QString& scriptText) {
  static const QRegularExpression quoted(
      QStringLiteral(R"re("([^"\n]*\.(?:wmf|png|svg|jpg|pdf))")re"),
      QRegularExpression::CaseInsensitiveOption);
  QStringList out;
  for (const QString& line : scriptText.split(u'\n')) {
    const QRegularExpressionMatch m = quoted.match(line);
    if (m.hasMatch()) out << m.captured(1);
  }
  return out;
}

}  // namespace trb::external
