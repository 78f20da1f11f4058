#include "core/db/dialect_lexer.h"

#include <QStringList>

#include "core/db/dialect_error.h"

namespace trb::db::dialect::detail {

QList<Token> tokenize(const QString& s) {
  QList<Token> out;
  qsizetype i = 0;
  const qsizetype n = s.size();
  auto at = [&](qsizetype k) { return k < n ? s[k] : QChar(); };
  while (i < n) {
    const QChar c = s[i];
    if (c.isSpace()) {
      ++i;
      continue;
    }
    if (c == u'-' && at(i + 1) == u'-') {  // comment to the end of the line
      while (i < n && s[i] != u'\n') ++i;
      continue;
    }
    if (c == u'"' || c == u'\'') {
      QString v;
      ++i;
      for (;;) {
        if (i >= n) fail(QStringLiteral("unterminated text literal"));
        if (s[i] == c) {
          if (at(i + 1) == c) {
            v += c;
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        v += s[i++];
      }
      out.append({Tk::String, v, false});
      continue;
    }
    if (c == u'[' || c == u'`') {
      const QChar close = c == u'[' ? u']' : u'`';
      const qsizetype e = s.indexOf(close, i + 1);
      if (e < 0) fail(QStringLiteral("unterminated name in brackets"));
      const QString v = s.mid(i + 1, e - i - 1);
      if (v.trimmed().isEmpty()) fail(QStringLiteral("empty name in brackets"));
      i = e + 1;
      // [table.column] names a column of a table
      const qsizetype dot = v.indexOf(u'.');
      if (c == u'[' && dot > 0 && dot < v.size() - 1) {
        out.append({Tk::Name, v.left(dot), true});
        out.append({Tk::Op, QStringLiteral("."), false});
        out.append({Tk::Name, v.mid(dot + 1), true});
      } else {
        out.append({Tk::Name, v, true});
      }
      continue;
    }
    if (c == u'#') {
      const qsizetype e = s.indexOf(u'#', i + 1);
      if (e < 0) fail(QStringLiteral("unterminated date literal"));
      out.append({Tk::Date, s.mid(i + 1, e - i - 1).trimmed(), false});
      i = e + 1;
      continue;
    }
    if (c.isDigit() || (c == u'.' && at(i + 1).isDigit())) {
      qsizetype j = i;
      while (j < n && s[j].isDigit()) ++j;
      if (j < n && s[j] == u'.') {
        ++j;
        while (j < n && s[j].isDigit()) ++j;
      }
      if (j < n && (s[j] == u'e' || s[j] == u'E') &&
          (at(j + 1).isDigit() ||
           ((at(j + 1) == u'+' || at(j + 1) == u'-') && at(j + 2).isDigit()))) {
        j += 2;
        while (j < n && s[j].isDigit()) ++j;
      }
      out.append({Tk::Number, s.mid(i, j - i), false});
      i = j;
      continue;
    }
    if (c.isLetter() || c == u'_') {
      qsizetype j = i;
      while (j < n && (s[j].isLetterOrNumber() || s[j] == u'_' || s[j] == u'$')) ++j;
      out.append({Tk::Word, s.mid(i, j - i), false});
      i = j;
      continue;
    }
    if (c == u'?') {
      out.append({Tk::Param, QStringLiteral("?"), false});
      ++i;
      continue;
    }
    if ((c == u':' || c == u'@') && (at(i + 1).isLetter() || at(i + 1) == u'_')) {
      qsizetype j = i + 1;
      while (j < n && (s[j].isLetterOrNumber() || s[j] == u'_')) ++j;
      out.append({Tk::Param, u':' + s.mid(i + 1, j - i - 1), false});
      i = j;
      continue;
    }
    static const QStringList two = {QStringLiteral("<>"), QStringLiteral("<="),
                                    QStringLiteral(">="), QStringLiteral("!=")};
    const QString pair = s.mid(i, 2);
    if (two.contains(pair)) {
      out.append({Tk::Op, pair == u"!="_qs ? QStringLiteral("<>") : pair, false});
      i += 2;
      continue;
    }
    if (QStringLiteral("(),.;=<>+-*/\\&^!").contains(c)) {
      out.append({Tk::Op, QString(c), false});
      ++i;
      continue;
    }
    fail(QStringLiteral("unexpected character '%1'").arg(c));
  }
  out.append({Tk::End, QString(), false});
  return out;
}

}  // namespace trb::db::dialect::detail
