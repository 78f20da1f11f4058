// Reads back the first sheet of an .xlsx file for the tests: every cell's text and whether it is a
// numeric cell. Uses unzip and the XML of the sheet, nothing of the writer.
#pragma once

#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

namespace trb::test {

struct XlsxCell {
  QString text;
  bool numeric = false;
};

struct XlsxSheet {
  bool ok = false;
  QMap<QString, XlsxCell> cells;  // by reference, "A1", "B2", ...
  XlsxCell at(const QString& ref) const { return cells.value(ref); }
  int rowCount() const {
    int n = 0;
    for (auto it = cells.cbegin(); it != cells.cend(); ++it) {
      QString digits = it.key();
      digits.remove(QRegularExpression(QStringLiteral("[A-Z]")));
      n = qMax(n, digits.toInt());
    }
    return n;
  }
};

inline QByteArray unzipMember(const QString& file, const QString& member) {
  QProcess p;
  p.start(QStringLiteral("unzip"), {QStringLiteral("-p"), file, member});
  p.waitForFinished(30000);
  return p.readAllStandardOutput();
}

inline XlsxSheet readXlsx(const QString& file) {
  XlsxSheet sheet;
  QStringList shared;
  {
    QXmlStreamReader x(unzipMember(file, QStringLiteral("xl/sharedStrings.xml")));
    QString current;
    bool inSi = false;
    while (!x.atEnd()) {
      x.readNext();
      if (x.isStartElement() && x.name() == u"si") {
        inSi = true;
        current.clear();
      } else if (x.isStartElement() && x.name() == u"t" && inSi) {
        current += x.readElementText();
      } else if (x.isEndElement() && x.name() == u"si") {
        inSi = false;
        shared << current;
      }
    }
  }
  const QByteArray xml = unzipMember(file, QStringLiteral("xl/worksheets/sheet1.xml"));
  if (xml.isEmpty()) return sheet;
  QXmlStreamReader x(xml);
  QString ref, type;
  while (!x.atEnd()) {
    x.readNext();
    if (x.isStartElement() && x.name() == u"c") {
      ref = x.attributes().value(QStringLiteral("r")).toString();
      type = x.attributes().value(QStringLiteral("t")).toString();
    } else if (x.isStartElement() && x.name() == u"v") {
      const QString v = x.readElementText();
      XlsxCell cell;
      if (type == u"s") {
        cell.text = shared.value(v.toInt());
      } else if (type == u"str" || type == u"inlineStr") {
        cell.text = v;
      } else {
        cell.text = v;
        cell.numeric = true;
      }
      sheet.cells.insert(ref, cell);
    } else if (x.isStartElement() && x.name() == u"t" && type == u"inlineStr") {
      sheet.cells.insert(ref, XlsxCell{x.readElementText(), false});
    }
  }
  sheet.ok = !x.hasError();
  return sheet;
}

}  // namespace trb::test
