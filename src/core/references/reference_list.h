// The literature of experiments and plots: the reference lists of the browser, the relations of a
// reference to experiments (ref2vcode) and, through keywords, to plots (key2ref2fl).
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace trb::db {
class Database;
}

namespace trb::references {

struct ReferenceRow {
  qlonglong litId = 0;
  QString autor, jahr, titel, produkt, herausgeber, quelle, ort, band, seite, ausgabe;
  QString versuchsCode;  // the experiment of the relation
  qlonglong flId = -1;   // plot view: the plot of the keyword relation
  qlonglong keyId = -1;  // plot view: the keyword
};

// The references of the experiment at location (its ref2vcode relations).
QList<ReferenceRow> experiment_references(db::Database& db, const QString& location);
// The references of a plot through its keywords; with keyId only those of that keyword.
QList<ReferenceRow> plot_references(db::Database& db, qlonglong plot,
                                    std::optional<qlonglong> keyId = std::nullopt);

// The compact view: source, author, year, title, type and pages, each on a line when not empty.
QStringList compact_lines(const ReferenceRow& row);

// The code of the experiment at location, or of the experiment of a plot; empty when none.
QString experiment_code_of_location(db::Database& db, const QString& location);
QString experiment_code_of_plot(db::Database& db, qlonglong plot);

// "add  new  reference": links the reference whose key is written in litIdText to the experiment.
// False when the text is no whole number or no reference has that key (nothing changes then). A
// relation that exists already is not added twice.
bool add_experiment_reference(db::Database& db, const QString& versuchsCode,
                              const QString& litIdText);
void delete_experiment_reference(db::Database& db, qlonglong litId, const QString& versuchsCode);

// The experiments a reference is linked to, "code :  location" per line.
QStringList experiment_relations(db::Database& db, qlonglong litId);

struct ExperimentChoice {
  QString code;
  QString location;
  QString label() const { return code + QStringLiteral(": ") + location; }
};
QList<ExperimentChoice> experiment_choices(db::Database& db);

struct Keyword {
  qlonglong id = 0;
  QString name;
  QString description;
};
QList<Keyword> keywords(db::Database& db);

// The keywords of a reference for a plot, "id :  name  [description]" per line.
QStringList keyword_relations(db::Database& db, qlonglong plot, qlonglong litId);
void add_keyword_relation(db::Database& db, qlonglong keyId, qlonglong litId, qlonglong plot);
void delete_keyword_relation(db::Database& db, qlonglong keyId, qlonglong litId, qlonglong plot);

// The PDF file of a reference: the folder, which ends with a separator, and the key.
QString pdf_file(const QString& pdfDir, qlonglong litId);

}  // namespace trb::references
