#include "gui/app/connection_dialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace trb::gui {

ConnectionDialog::ConnectionDialog(const QString& connection, const QString& error, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("connectionEditor"));
  setWindowTitle(tr("database connection"));
  errorLabel = new QLabel(tr("The database cannot be opened:\n%1").arg(error), this);
  errorLabel->setObjectName(QStringLiteral("errorLabel"));
  errorLabel->setWordWrap(true);
  edit = new QPlainTextEdit(this);
  edit->setObjectName(QStringLiteral("connectionEdit"));
  edit->setPlainText(connection);
  edit->setMinimumSize(520, 140);
  fileButton = new QPushButton(tr("database file ..."), this);
  fileButton->setObjectName(QStringLiteral("fileButton"));
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(errorLabel);
  layout->addWidget(new QLabel(tr("connection string:"), this));
  layout->addWidget(edit, 1);
  layout->addWidget(fileButton, 0, Qt::AlignLeft);
  layout->addWidget(box);
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(fileButton, &QPushButton::clicked, this, &ConnectionDialog::chooseFile);
}

QString ConnectionDialog::connectionText() const {
  return edit->toPlainText().remove(u'\n');
}

void ConnectionDialog::setConnectionText(const QString& text) {
  edit->setPlainText(text);
}

void ConnectionDialog::chooseFile() {
  const QString file =
      QFileDialog::getOpenFileName(this, tr("Where is the database ?"), QString(),
                                   tr("databases (*.sqlite *.db *.mdb *.accdb);;all files (*)"));
  if (file.isEmpty()) return;
  // replaces the path of the "Data Source=" item, or adds the item
  QString text = connectionText();
  static const QRegularExpression item(QStringLiteral("(Data Source=)[^;]*"),
                                       QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch m = item.match(text);
  if (m.hasMatch())
    text.replace(m.capturedStart(), m.capturedLength(), m.captured(1) + file);
  else
    text += QStringLiteral(";Data Source=") + file;
  setConnectionText(text);
}

}  // namespace trb::gui
