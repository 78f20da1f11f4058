// Tokens of an Access statement: the first stage of the dialect translator.
#pragma once

#include <QList>
#include <QString>

namespace trb::db::dialect::detail {

enum class Tk { Word, Name, String, Number, Date, Param, Op, End };

struct Token {
  Tk kind = Tk::End;
  QString text;         // words and operators as written; names without brackets; strings unquoted
  bool quoted = false;  // a bracketed or back-quoted name
};

// The tokens of a statement, ending with one of kind End; throws DialectError on text that is no
// token (an unterminated literal, a stray character).
QList<Token> tokenize(const QString& s);

inline bool isWord(const Token& t, const char* w) {
  return t.kind == Tk::Word && t.text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
}

}  // namespace trb::db::dialect::detail
