// The grid model over one table edited in place (trb::db::TableEditor): every cell a user changes
// is written at once, yes/no columns are check boxes, numbers are read and shown in the user's
// locale. A value that does not fit its column is refused: the cell keeps its value and the
// refusal is emitted for the window to show.
#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <memory>

#include "core/base/error.h"
#include "core/db/table_editor.h"

namespace trb::gui {

class TableEditorModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // A shown column: the table's column and its title; an empty column is an empty spacer.
  struct Shown {
    QString column;
    QString title;
  };

  explicit TableEditorModel(QObject* parent = nullptr);
  ~TableEditorModel() override;

  // Shows the editor's table: the given columns, or every column under its own name. The rows
  // are read at once; a failure to read throws trb::Error and leaves the grid empty.
  void setEditor(std::unique_ptr<trb::db::TableEditor> editor, QList<Shown> shown = {});
  trb::db::TableEditor* editor() const { return editor_.get(); }
  // Forgets the table (no rows, no columns).
  void clear();
  // Reads the rows again. Throws trb::Error.
  void reload();

  qlonglong rowidAt(int row) const;
  // The grid row of a rowid; -1 when it is not shown.
  int rowOfRowid(qlonglong rowid) const;
  // A value of the table's column in a grid row (also of columns not shown).
  QVariant value(int row, const QString& column) const;
  // The table's column shown in a grid column; empty for a spacer.
  QString columnName(int column) const;

  // Adds a row to the table and the grid; returns its grid row. Throws trb::Error.
  int appendRow();
  // Deletes the row from the table and the grid. Throws trb::Error.
  void removeRowAt(int row);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 signals:
  // A value was refused or could not be written.
  void problem(const trb::Error& error);

 private:
  int tableColumn(int column) const;  // -1 for a spacer
  QString text(int row, int column) const;

  std::unique_ptr<trb::db::TableEditor> editor_;
  QList<Shown> shown_;
  QList<int> columns_;  // table column of each shown column, -1 for a spacer
  QList<trb::db::TableRow> rows_;
};

}  // namespace trb::gui
