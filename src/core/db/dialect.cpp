#include "core/db/dialect.h"

#include <QDate>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <functional>
#include <memory>
#include <optional>

namespace trb::db::dialect {

char typeKind(const QString& declType) {
  const QString t = declType.toUpper();
  if (t.startsWith(u"YESNO"_qs)) return 'b';
  if (t.startsWith(u"DATETIME"_qs)) return 'd';
  if (t.contains(u"INT"_qs)) return 'i';
  if (t.contains(u"CHAR"_qs) || t.contains(u"TEXT"_qs) || t.contains(u"CLOB"_qs)) return 't';
  if (t.contains(u"REAL"_qs) || t.contains(u"FLOA"_qs) || t.contains(u"DOUB"_qs)) return 'r';
  return '?';
}

namespace {

[[noreturn]] void fail(const QString& msg) { throw DialectError(msg.toStdString()); }

// ---------------------------------------------------------------------------------------------
// Tokens

enum class Tk { Word, Name, String, Number, Date, Param, Op, End };

struct Token {
  Tk kind = Tk::End;
  QString text;   // words and operators as written; names without brackets; strings unquoted
  bool quoted = false;  // a bracketed or back-quoted name
};

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

// ---------------------------------------------------------------------------------------------
// Syntax tree

struct Select;

struct Expr {
  enum K {
    Num, Str, DateLit, Null, Bool, Col, Star, Param, Unary, Binary, Func, In, Between, IsNull,
    Like, Sub, Exists, Case
  } k;
  QString text;          // literal text, operator, function name, parameter
  QStringList parts;     // column: qualifier(s) and name; star: optional qualifier
  QList<std::shared_ptr<Expr>> args;  // operands, arguments, IN list, CASE when/then pairs
  std::shared_ptr<Select> sub;        // subquery
  bool neg = false;      // NOT IN, NOT BETWEEN, IS NOT NULL, NOT LIKE
  bool distinct = false; // Count(DISTINCT x)
  bool hasElse = false;  // CASE ... ELSE
  bool hasBase = false;  // CASE x WHEN ...
};
using ExprP = std::shared_ptr<Expr>;

struct SelItem {
  ExprP e;
  QString alias;
};

struct TableRef;
using TableRefP = std::shared_ptr<TableRef>;
struct TableRef {
  enum K { Table, SubQ, Join } k = Table;
  QString name;   // table name
  QString alias;
  std::optional<QList<std::shared_ptr<Expr>>> args;  // a table-valued function's arguments
  std::shared_ptr<Select> sub;
  // join
  QString joinType;  // "INNER", "LEFT", "RIGHT", "CROSS", ","
  TableRefP left, right;
  ExprP on;
  bool parens = false;
};

struct OrderItem {
  ExprP e;
  QString dir;
};

struct Select {
  bool distinct = false;
  std::optional<QString> top;
  QList<SelItem> items;
  QString into;
  QString intoFile;
  bool hasIntoFile = false;
  TableRefP from;
  ExprP where, having;
  QList<ExprP> groupBy;
  QList<OrderItem> orderBy;
  // compound: the next select and its operator ("UNION", "UNION ALL")
  std::shared_ptr<Select> next;
  QString compound;
};
using SelectP = std::shared_ptr<Select>;

ExprP mk(Expr::K k, const QString& text = QString()) {
  auto e = std::make_shared<Expr>();
  e->k = k;
  e->text = text;
  return e;
}

// ---------------------------------------------------------------------------------------------
// Parser

bool isWord(const Token& t, const char* w) {
  return t.kind == Tk::Word && t.text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
}

class Parser {
 public:
  explicit Parser(QList<Token> toks) : t_(std::move(toks)) {}

  const Token& peek(int k = 0) const {
    return t_[std::min<qsizetype>(p_ + k, t_.size() - 1)];
  }
  Token take() { return t_[std::min<qsizetype>(p_++, t_.size() - 1)]; }
  bool atWord(const char* w, int k = 0) const { return isWord(peek(k), w); }
  bool atOp(const char* o, int k = 0) const {
    return peek(k).kind == Tk::Op && peek(k).text == QLatin1String(o);
  }
  bool eatWord(const char* w) {
    if (!atWord(w)) return false;
    ++p_;
    return true;
  }
  bool eatOp(const char* o) {
    if (!atOp(o)) return false;
    ++p_;
    return true;
  }
  void expectWord(const char* w) {
    if (!eatWord(w)) fail(QStringLiteral("expected %1 near '%2'").arg(QLatin1String(w), near()));
  }
  void expectOp(const char* o) {
    if (!eatOp(o)) fail(QStringLiteral("expected '%1' near '%2'").arg(QLatin1String(o), near()));
  }
  QString near() const {
    const Token& t = peek();
    return t.kind == Tk::End ? QStringLiteral("end of statement") : t.text;
  }
  bool atEnd() const { return peek().kind == Tk::End || (atOp(";") && peek(1).kind == Tk::End); }
  qsizetype pos() const { return p_; }
  void setPos(qsizetype p) { p_ = p; }

  // A table, column or alias name.
  QString name() {
    const Token& t = peek();
    if (t.kind == Tk::Name || (t.kind == Tk::Word && !reserved(t.text))) {
      ++p_;
      return t.text;
    }
    fail(QStringLiteral("expected a name near '%1'").arg(near()));
  }
  bool atName(int k = 0) const {
    const Token& t = peek(k);
    return t.kind == Tk::Name || (t.kind == Tk::Word && !reserved(t.text));
  }

  static bool reserved(const QString& w) {
    static const QStringList words = {
        "select", "from",  "where",  "group",  "order", "having", "into",    "inner",
        "left",   "right", "join",   "on",     "and",   "or",     "not",     "union",
        "as",     "set",   "values", "by",     "in",    "is",     "like",    "between",
        "outer",  "full",  "cross",  "distinct", "distinctrow", "top", "case", "when",
        "then",   "else",  "end",    "null",   "xor",   "mod",    "asc",     "desc",
        "exists", "eqv",   "imp",    "all"};
    return words.contains(w.toLower());
  }

  // --- expressions, lowest precedence first
  ExprP expr() { return orExpr(); }

  ExprP binaryLoop(ExprP (Parser::*sub)(), std::initializer_list<const char*> ops,
                   bool words) {
    ExprP l = (this->*sub)();
    for (;;) {
      const char* hit = nullptr;
      for (const char* o : ops)
        if (words ? atWord(o) : atOp(o)) hit = o;
      if (!hit) return l;
      ++p_;
      ExprP r = (this->*sub)();
      auto b = mk(Expr::Binary, QString::fromLatin1(hit).toUpper());
      b->args = {l, r};
      l = b;
    }
  }

  ExprP orExpr() { return binaryLoop(&Parser::andExpr, {"or", "xor", "eqv", "imp"}, true); }
  ExprP andExpr() { return binaryLoop(&Parser::notExpr, {"and"}, true); }
  ExprP notExpr() {
    if (eatWord("not")) {
      auto u = mk(Expr::Unary, QStringLiteral("NOT"));
      u->args = {notExpr()};
      return u;
    }
    return cmpExpr();
  }
  ExprP cmpExpr() {
    ExprP l = concatExpr();
    for (;;) {
      if (atOp("=") || atOp("<>") || atOp("<") || atOp(">") || atOp("<=") || atOp(">=")) {
        const QString op = take().text;
        auto b = mk(Expr::Binary, op);
        b->args = {l, concatExpr()};
        l = b;
        continue;
      }
      const qsizetype save = p_;
      const bool neg = eatWord("not");
      if (eatWord("like")) {
        auto e = mk(Expr::Like);
        e->neg = neg;
        e->args = {l, concatExpr()};
        l = e;
        continue;
      }
      if (eatWord("in")) {
        auto e = mk(Expr::In);
        e->neg = neg;
        e->args = {l};
        expectOp("(");
        if (atWord("select")) {
          e->sub = select();
        } else {
          do e->args.append(expr());
          while (eatOp(","));
        }
        expectOp(")");
        l = e;
        continue;
      }
      if (eatWord("between")) {
        auto e = mk(Expr::Between);
        e->neg = neg;
        ExprP lo = concatExpr();
        expectWord("and");
        e->args = {l, lo, concatExpr()};
        l = e;
        continue;
      }
      p_ = save;
      if (eatWord("is")) {
        auto e = mk(Expr::IsNull);
        e->neg = eatWord("not");
        expectWord("null");
        e->args = {l};
        l = e;
        continue;
      }
      return l;
    }
  }
  ExprP concatExpr() { return binaryLoop(&Parser::addExpr, {"&"}, false); }
  ExprP addExpr() { return binaryLoop(&Parser::modExpr, {"+", "-"}, false); }
  ExprP modExpr() { return binaryLoop(&Parser::idivExpr, {"mod"}, true); }
  ExprP idivExpr() { return binaryLoop(&Parser::mulExpr, {"\\"}, false); }
  ExprP mulExpr() { return binaryLoop(&Parser::unaryExpr, {"*", "/"}, false); }
  ExprP unaryExpr() {
    if (atOp("-") || atOp("+")) {
      const QString op = take().text;
      ExprP operand = unaryExpr();
      if (op == u"+"_qs) return operand;
      if (operand->k == Expr::Num) {
        operand->text = operand->text.startsWith(u'-') ? operand->text.mid(1) : u'-' + operand->text;
        return operand;
      }
      auto u = mk(Expr::Unary, QStringLiteral("-"));
      u->args = {operand};
      return u;
    }
    return powExpr();
  }
  ExprP powExpr() {
    ExprP l = primary();
    while (eatOp("^")) {
      auto b = mk(Expr::Binary, QStringLiteral("^"));
      ExprP r = atOp("-") || atOp("+") ? unaryExpr() : primary();
      b->args = {l, r};
      l = b;
    }
    return l;
  }

  ExprP primary() {
    const Token t = peek();
    switch (t.kind) {
      case Tk::Number:
        ++p_;
        return mk(Expr::Num, t.text);
      case Tk::String:
        ++p_;
        return mk(Expr::Str, t.text);
      case Tk::Date:
        ++p_;
        return mk(Expr::DateLit, t.text);
      case Tk::Param:
        ++p_;
        return mk(Expr::Param, t.text);
      case Tk::Op:
        if (t.text == u"("_qs) {
          ++p_;
          if (atWord("select")) {
            auto e = mk(Expr::Sub);
            e->sub = select();
            expectOp(")");
            return e;
          }
          ExprP inner = expr();
          expectOp(")");
          return inner;
        }
        if (t.text == u"*"_qs) {
          ++p_;
          return mk(Expr::Star);
        }
        break;
      case Tk::Word:
        if (isWord(t, "null")) {
          ++p_;
          return mk(Expr::Null);
        }
        if (isWord(t, "true") || isWord(t, "yes")) {
          if (!(peek(1).kind == Tk::Op && peek(1).text == u"."_qs)) {
            ++p_;
            return mk(Expr::Bool, QStringLiteral("-1"));
          }
        }
        if (isWord(t, "false") || isWord(t, "no")) {
          if (!(peek(1).kind == Tk::Op && peek(1).text == u"."_qs)) {
            ++p_;
            return mk(Expr::Bool, QStringLiteral("0"));
          }
        }
        if (isWord(t, "exists")) {
          ++p_;
          expectOp("(");
          auto e = mk(Expr::Exists);
          e->sub = select();
          expectOp(")");
          return e;
        }
        if (isWord(t, "case")) return caseExpr();
        if (isWord(t, "select")) fail(QStringLiteral("a subquery must stand in parentheses"));
        [[fallthrough]];
      case Tk::Name: {
        if ((isWord(t, "left") || isWord(t, "right")) && atOp("(", 1)) {
          ++p_;
          return funcCall(t.text);
        }
        if (t.kind == Tk::Word && reserved(t.text))
          fail(QStringLiteral("syntax error near '%1'").arg(t.text));
        ++p_;
        if (t.kind == Tk::Word && atOp("(")) return funcCall(t.text);
        QStringList parts = {t.text};
        while (atOp(".")) {
          ++p_;
          if (eatOp("*")) {
            auto s = mk(Expr::Star);
            s->parts = parts;
            return s;
          }
          if (peek().kind == Tk::Name || peek().kind == Tk::Word) {
            parts << take().text;
          } else {
            fail(QStringLiteral("expected a name after '.' near '%1'").arg(near()));
          }
        }
        // "!" separates a form or table from its field in old texts
        auto c = mk(Expr::Col);
        c->parts = parts;
        return c;
      }
      default:
        break;
    }
    fail(QStringLiteral("syntax error near '%1'").arg(near()));
  }

  ExprP funcCall(const QString& fname) {
    expectOp("(");
    auto f = mk(Expr::Func, fname);
    if (eatOp(")")) return f;
    if (eatWord("distinct")) f->distinct = true;
    if (atOp("*") && (peek(1).kind == Tk::Op && peek(1).text == u")"_qs)) {
      ++p_;
      f->args.append(mk(Expr::Star));
    } else {
      do f->args.append(expr());
      while (eatOp(","));
    }
    expectOp(")");
    return f;
  }

  ExprP caseExpr() {
    expectWord("case");
    auto e = mk(Expr::Case);
    if (!atWord("when")) {
      e->hasBase = true;
      e->args.append(expr());
    }
    while (eatWord("when")) {
      e->args.append(expr());
      expectWord("then");
      e->args.append(expr());
    }
    if (eatWord("else")) {
      e->hasElse = true;
      e->args.append(expr());
    }
    expectWord("end");
    return e;
  }

  // --- FROM clause
  TableRefP fromList() {
    TableRefP l = joined();
    while (eatOp(",")) {
      auto j = std::make_shared<TableRef>();
      j->k = TableRef::Join;
      j->joinType = QStringLiteral(",");
      j->left = l;
      j->right = joined();
      l = j;
    }
    return l;
  }

  TableRefP joined() {
    TableRefP l = tablePrimary();
    for (;;) {
      QString type;
      if (atWord("inner") && atWord("join", 1)) {
        type = QStringLiteral("INNER");
        p_ += 2;
      } else if (atWord("join")) {
        type = QStringLiteral("INNER");
        ++p_;
      } else if ((atWord("left") || atWord("right")) &&
                 (atWord("join", 1) || (atWord("outer", 1) && atWord("join", 2)))) {
        type = take().text.toUpper();
        eatWord("outer");
        expectWord("join");
      } else if (atWord("cross") && atWord("join", 1)) {
        type = QStringLiteral("CROSS");
        p_ += 2;
      } else {
        return l;
      }
      auto j = std::make_shared<TableRef>();
      j->k = TableRef::Join;
      j->joinType = type;
      j->left = l;
      j->right = tablePrimary();
      if (type != u"CROSS"_qs) {
        expectWord("on");
        j->on = expr();
      }
      l = j;
    }
  }

  TableRefP tablePrimary() {
    if (eatOp("(")) {
      if (atWord("select")) {
        auto r = std::make_shared<TableRef>();
        r->k = TableRef::SubQ;
        r->sub = select();
        expectOp(")");
        r->alias = optAlias();
        return r;
      }
      TableRefP inner = fromList();
      expectOp(")");
      inner->parens = true;
      if (inner->k != TableRef::Join) {
        const QString a = optAlias();
        if (!a.isEmpty()) inner->alias = a;
      }
      return inner;
    }
    auto r = std::make_shared<TableRef>();
    r->name = name();
    // owner.table: keep the last part
    while (eatOp(".")) r->name = name();
    if (eatOp("(")) {
      r->args.emplace();
      if (!atOp(")")) {
        do r->args->append(expr());
        while (eatOp(","));
      }
      expectOp(")");
    }
    if (atWord("in") && peek(1).kind == Tk::String)
      fail(QStringLiteral("reading from another database file is not supported"));
    r->alias = optAlias();
    return r;
  }

  QString optAlias() {
    if (eatWord("as")) return name();
    if (atName()) return name();
    if (peek().kind == Tk::String) return take().text;
    return QString();
  }

  // --- SELECT
  SelectP select() {
    auto s = simpleSelect();
    SelectP cur = s;
    while (atWord("union")) {
      ++p_;
      cur->compound = eatWord("all") ? QStringLiteral("UNION ALL") : QStringLiteral("UNION");
      if (eatOp("(")) {
        cur->next = simpleSelect();
        expectOp(")");
      } else {
        cur->next = simpleSelect();
      }
      cur = cur->next;
    }
    // ORDER BY after a compound belongs to the whole; it was parsed into the last member.
    if (s != cur && !cur->orderBy.isEmpty()) std::swap(s->orderBy, cur->orderBy);
    return s;
  }

  SelectP simpleSelect() {
    expectWord("select");
    auto s = std::make_shared<Select>();
    for (;;) {
      if (eatWord("distinct")) {
        s->distinct = true;
      } else if (eatWord("distinctrow") || eatWord("all")) {
      } else if (atWord("top") && peek(1).kind == Tk::Number) {
        ++p_;
        s->top = take().text;
        if (eatWord("percent")) fail(QStringLiteral("TOP ... PERCENT is not supported"));
      } else {
        break;
      }
    }
    do {
      SelItem it;
      it.e = expr();
      if (eatWord("as")) {
        it.alias = peek().kind == Tk::String ? take().text : name();
      } else if (atName() && !atWord("into")) {
        it.alias = name();
      }
      s->items.append(it);
    } while (eatOp(","));
    if (eatWord("into")) {
      s->into = name();
      if (eatWord("in")) {
        if (peek().kind != Tk::String) fail(QStringLiteral("expected a file name after IN"));
        s->intoFile = take().text;
        s->hasIntoFile = true;
      }
    }
    if (eatWord("from")) s->from = fromList();
    if (eatWord("where")) s->where = expr();
    if (atWord("group") && atWord("by", 1)) {
      p_ += 2;
      do s->groupBy.append(expr());
      while (eatOp(","));
    }
    if (eatWord("having")) s->having = expr();
    if (atWord("order") && atWord("by", 1)) {
      p_ += 2;
      do {
        OrderItem o;
        o.e = expr();
        if (eatWord("asc"))
          o.dir = QStringLiteral("ASC");
        else if (eatWord("desc"))
          o.dir = QStringLiteral("DESC");
        s->orderBy.append(o);
      } while (eatOp(","));
    }
    return s;
  }

 private:
  QList<Token> t_;
  qsizetype p_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Writer

QString quoteName(const QString& n) {
  if (n.contains(u']')) return u'`' + QString(n).replace(u'`', QStringLiteral("``")) + u'`';
  return u'[' + n + u']';
}

QString quoteString(const QString& s) {
  return u'\'' + QString(s).replace(u'\'', QStringLiteral("''")) + u'\'';
}

QString isoDate(const QString& lit) {
  // #m/d/yyyy#, #m/d/yy#, #yyyy-mm-dd#, each optionally with a time of day.
  static const QRegularExpression us(
      QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{2,4})(?:\\s+(\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?$"));
  static const QRegularExpression iso(
      QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[ T](\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?$"));
  int y, m, d;
  QRegularExpressionMatch mt = us.match(lit);
  if (mt.hasMatch()) {
    m = mt.captured(1).toInt();
    d = mt.captured(2).toInt();
    y = mt.captured(3).toInt();
    if (mt.captured(3).size() <= 2) y += y < 30 ? 2000 : 1900;
  } else if ((mt = iso.match(lit)).hasMatch()) {
    y = mt.captured(1).toInt();
    m = mt.captured(2).toInt();
    d = mt.captured(3).toInt();
  } else {
    fail(QStringLiteral("unrecognised date literal #%1#").arg(lit));
  }
  const QDate date(y, m, d);
  if (!date.isValid()) fail(QStringLiteral("invalid date #%1#").arg(lit));
  QString out = date.toString(Qt::ISODate);
  if (!mt.captured(4).isEmpty()) {
    out += QStringLiteral(" %1:%2:%3")
               .arg(mt.captured(4).toInt(), 2, 10, QChar(u'0'))
               .arg(mt.captured(5).toInt(), 2, 10, QChar(u'0'))
               .arg(mt.captured(6).toInt(), 2, 10, QChar(u'0'));
  }
  return out;
}

QString likePattern(const QString& p) {
  QString out;
  for (qsizetype i = 0; i < p.size(); ++i) {
    const QChar c = p[i];
    if (c == u'*')
      out += u'%';
    else if (c == u'?' || c == u'#')
      out += u'_';
    else if (c == u'%' || c == u'_' || c == u'\\')
      out += u'\\' + QString(c);
    else if (c == u'[') {
      // [x] stands for x literally ([*], [?], [#]); character ranges are not supported
      const qsizetype e = p.indexOf(u']', i);
      if (e == i + 2) {
        const QChar lit = p[i + 1];
        out += (lit == u'%' || lit == u'_' || lit == u'\\') ? u'\\' + QString(lit) : QString(lit);
        i = e;
      } else {
        fail(QStringLiteral("character ranges in Like patterns are not supported"));
      }
    } else {
      out += c;
    }
  }
  return out;
}

bool isBoolean(const ExprP& e) {
  switch (e->k) {
    case Expr::In:
    case Expr::Between:
    case Expr::IsNull:
    case Expr::Like:
    case Expr::Exists:
      return true;
    case Expr::Unary:
      return e->text == u"NOT"_qs;
    case Expr::Binary: {
      static const QStringList ops = {"=", "<>", "<", ">", "<=", ">=", "AND", "OR", "XOR",
                                      "EQV", "IMP"};
      return ops.contains(e->text);
    }
    default:
      return false;
  }
}

const QHash<QString, QString>& functionMap() {
  static const QHash<QString, QString> m = {
      {"int", "acc_int"},       {"fix", "acc_fix"},     {"cint", "acc_cint"},
      {"clng", "acc_clng"},     {"cdbl", "acc_cdbl"},   {"csng", "acc_csng"},
      {"cstr", "acc_cstr"},     {"str", "acc_str"},     {"str$", "acc_str"},
      {"trim", "acc_trim"},     {"trim$", "acc_trim"},  {"ltrim", "acc_ltrim"},
      {"rtrim", "acc_rtrim"},   {"left", "acc_left"},   {"left$", "acc_left"},
      {"right", "acc_right"},   {"right$", "acc_right"}, {"mid", "acc_mid"},
      {"mid$", "acc_mid"},      {"len", "acc_len"},     {"ucase", "acc_ucase"},
      {"lcase", "acc_lcase"},   {"instr", "acc_instr"}, {"nz", "acc_nz"},
      {"isnull", "acc_isnull"}, {"val", "acc_val"},     {"sgn", "acc_sgn"},
      {"sqr", "acc_sqr"},       {"log", "acc_log"},     {"exp", "acc_exp"},
      {"round", "acc_round"},   {"date", "acc_date"},   {"now", "acc_now"},
      {"format", "acc_format"}, {"year", "acc_year"},     {"month", "acc_month"}, {"day", "acc_day"},
      {"first", "acc_first"},   {"last", "acc_last"},   {"stdev", "acc_stdev"},
      {"var", "acc_var"},       {"abs", "abs"},         {"sum", "sum"},
      {"avg", "avg"},           {"count", "count"},     {"min", "min"},
      {"max", "max"}};
  return m;
}

// Type kinds of expressions, for the columns of a make-table query.
char merge(char a, char b) {
  if (a == '?') return b;
  if (b == '?') return a;
  if (a == b) return a;
  if (a == 't' || b == 't') return 't';
  return 'r';
}

class Writer {
 public:
  // colType: the declared type kind of a column reference ("t.c" or "c"), or '?' when unknown
  std::function<char(const QStringList&)> colType = [](const QStringList&) { return '?'; };

  QString expr(const ExprP& e, bool boolCtx = false) {
    if (isBoolean(e) && !boolCtx) return u"(-("_qs + expr(e, true) + u"))"_qs;
    switch (e->k) {
      case Expr::Num:
        return e->text;
      case Expr::Str:
        return quoteString(e->text);
      case Expr::DateLit:
        return quoteString(isoDate(e->text));
      case Expr::Null:
        return QStringLiteral("NULL");
      case Expr::Bool:
        return e->text;
      case Expr::Param:
        return e->text;
      case Expr::Col: {
        QStringList q;
        for (const QString& p : e->parts) q << quoteName(p);
        return q.join(u'.');
      }
      case Expr::Star:
        return e->parts.isEmpty() ? QStringLiteral("*") : quoteName(e->parts.last()) + u".*"_qs;
      case Expr::Unary:
        if (e->text == u"NOT"_qs) return u"(NOT "_qs + expr(e->args[0], true) + u')';
        return u"(-"_qs + expr(e->args[0]) + u')';
      case Expr::Binary:
        return binary(e);
      case Expr::Func:
        return func(e);
      case Expr::In: {
        QString s = u'(' + expr(e->args[0]) + (e->neg ? u" NOT IN ("_qs : u" IN ("_qs);
        if (e->sub) {
          s += select(*e->sub);
        } else {
          QStringList xs;
          for (int i = 1; i < e->args.size(); ++i) xs << expr(e->args[i]);
          s += xs.join(QStringLiteral(", "));
        }
        return s + u"))"_qs;
      }
      case Expr::Between:
        return u'(' + expr(e->args[0]) + (e->neg ? u" NOT BETWEEN "_qs : u" BETWEEN "_qs) +
               expr(e->args[1]) + u" AND "_qs + expr(e->args[2]) + u')';
      case Expr::IsNull:
        return u'(' + expr(e->args[0]) + (e->neg ? u" IS NOT NULL)"_qs : u" IS NULL)"_qs);
      case Expr::Like: {
        const ExprP& pat = e->args[1];
        QString p;
        if (pat->k == Expr::Str)
          p = quoteString(likePattern(pat->text)) + QStringLiteral(" ESCAPE '\\'");
        else
          p = expr(pat);
        return u'(' + expr(e->args[0]) + (e->neg ? u" NOT LIKE "_qs : u" LIKE "_qs) + p + u')';
      }
      case Expr::Sub:
        return u'(' + select(*e->sub) + u')';
      case Expr::Exists:
        return u"(EXISTS ("_qs + select(*e->sub) + u"))"_qs;
      case Expr::Case: {
        QString s = QStringLiteral("(CASE");
        int i = 0;
        if (e->hasBase) s += u' ' + expr(e->args[i++]);
        const int pairsEnd = e->args.size() - (e->hasElse ? 1 : 0);
        for (; i + 1 < pairsEnd + 1 && i < pairsEnd; i += 2)
          s += u" WHEN "_qs + expr(e->args[i], !e->hasBase) + u" THEN "_qs + expr(e->args[i + 1]);
        if (e->hasElse) s += u" ELSE "_qs + expr(e->args.last());
        return s + u" END)"_qs;
      }
    }
    fail(QStringLiteral("unsupported expression"));
  }

  char kind(const ExprP& e) {
    switch (e->k) {
      case Expr::Num:
        return e->text.contains(u'.') || e->text.contains(u'e', Qt::CaseInsensitive) ? 'r' : 'i';
      case Expr::Str:
        return 't';
      case Expr::DateLit:
        return 'd';
      case Expr::Bool:
        return 'i';
      case Expr::Null:
      case Expr::Param:
      case Expr::Star:
        return '?';
      case Expr::Col:
        return colType(e->parts);
      case Expr::Unary:
        return e->text == u"NOT"_qs ? 'i' : kind(e->args[0]);
      case Expr::Binary: {
        if (isBoolean(e)) return 'i';
        const char a = kind(e->args[0]), b = kind(e->args[1]);
        const QString& op = e->text;
        if (op == u"&"_qs) return 't';
        if (op == u"/"_qs || op == u"^"_qs) return 'r';
        if (op == u"\\"_qs || op == u"MOD"_qs) return 'i';
        if (op == u"+"_qs && (a == 't' || b == 't')) return 't';
        return a == 'i' && b == 'i' ? 'i' : 'r';
      }
      case Expr::Func: {
        const QString f = e->text.toLower();
        const char a = e->args.isEmpty() ? '?' : kind(e->args[0]);
        if (f == u"count"_qs || f == u"cint"_qs || f == u"clng"_qs || f == u"len"_qs || f == u"instr"_qs ||
            f == u"sgn"_qs || f == u"year"_qs || f == u"month"_qs || f == u"day"_qs || f == u"isnull"_qs)
          return 'i';
        if (f == u"str"_qs || f == u"str$"_qs || f == u"cstr"_qs || f.contains(u"trim"_qs) ||
            f.startsWith(u"left"_qs) || f.startsWith(u"right"_qs) || f.startsWith(u"mid"_qs) ||
            f == u"ucase"_qs || f == u"lcase"_qs || f == u"format"_qs)
          return 't';
        if (f == u"min"_qs || f == u"max"_qs || f == u"first"_qs || f == u"last"_qs) return a;
        if (f == u"int"_qs || f == u"fix"_qs || f == u"abs"_qs || f == u"round"_qs) return a == 'i' ? 'i' : 'r';
        if (f == u"nz"_qs) return merge(a, e->args.size() > 1 ? kind(e->args[1]) : 'i');
        if (f == u"iif"_qs && e->args.size() == 3) return merge(kind(e->args[1]), kind(e->args[2]));
        if (f == u"date"_qs || f == u"now"_qs) return 'd';
        return 'r';
      }
      case Expr::Case: {
        char k = '?';
        int i = e->hasBase ? 1 : 0;
        const int pairsEnd = e->args.size() - (e->hasElse ? 1 : 0);
        for (; i + 1 < pairsEnd + 1 && i < pairsEnd; i += 2) k = merge(k, kind(e->args[i + 1]));
        if (e->hasElse) k = merge(k, kind(e->args.last()));
        return k;
      }
      case Expr::In:
      case Expr::Between:
      case Expr::IsNull:
      case Expr::Like:
      case Expr::Exists:
        return 'i';
      case Expr::Sub:
        return 'r';
    }
    return 'r';
  }

  bool textual(const ExprP& e) { return kind(e) == 't'; }

  QString binary(const ExprP& e) {
    const QString& op = e->text;
    const ExprP& a = e->args[0];
    const ExprP& b = e->args[1];
    if (op == u"AND"_qs || op == u"OR"_qs)
      return u'(' + expr(a, true) + u' ' + op + u' ' + expr(b, true) + u')';
    if (op == u"XOR"_qs)
      return u"(("_qs + expr(a, true) + u") <> ("_qs + expr(b, true) + u"))"_qs;
    if (op == u"EQV"_qs)
      return u"(("_qs + expr(a, true) + u") = ("_qs + expr(b, true) + u"))"_qs;
    if (op == u"IMP"_qs)
      return u"((NOT "_qs + expr(a, true) + u") OR "_qs + expr(b, true) + u')';
    if (op == u"="_qs || op == u"<>"_qs || op == u"<"_qs || op == u">"_qs || op == u"<="_qs || op == u">="_qs) {
      // text compares without regard to case
      const QString coll =
          (textual(a) && a->k != Expr::Col) || (textual(b) && b->k != Expr::Col)
              ? QStringLiteral(" COLLATE NOCASE")
              : QString();
      return u'(' + expr(a) + u' ' + op + u' ' + expr(b) + coll + u')';
    }
    if (op == u"&"_qs) {
      QStringList parts;
      flattenConcat(e, parts);
      return u"acc_concat("_qs + parts.join(QStringLiteral(", ")) + u')';
    }
    if (op == u"+"_qs) {
      const char ka = kind(a), kb = kind(b);
      if ((ka == 'i' || ka == 'r') && (kb == 'i' || kb == 'r'))
        return u'(' + expr(a) + u" + "_qs + expr(b) + u')';
      if (ka == 't' && kb == 't') return u'(' + expr(a) + u" || "_qs + expr(b) + u')';
      return u"acc_plus("_qs + expr(a) + u", "_qs + expr(b) + u')';
    }
    if (op == u"/"_qs) return u"acc_div("_qs + expr(a) + u", "_qs + expr(b) + u')';
    if (op == u"\\"_qs) return u"acc_intdiv("_qs + expr(a) + u", "_qs + expr(b) + u')';
    if (op == u"MOD"_qs) return u"acc_mod("_qs + expr(a) + u", "_qs + expr(b) + u')';
    if (op == u"^"_qs) return u"acc_pow("_qs + expr(a) + u", "_qs + expr(b) + u')';
    return u'(' + expr(a) + u' ' + op + u' ' + expr(b) + u')';
  }

  void flattenConcat(const ExprP& e, QStringList& parts) {
    if (e->k == Expr::Binary && e->text == u"&"_qs) {
      flattenConcat(e->args[0], parts);
      flattenConcat(e->args[1], parts);
    } else {
      parts << expr(e);
    }
  }

  QString func(const ExprP& e) {
    const QString f = e->text.toLower();
    if (f == u"iif"_qs) {
      if (e->args.size() != 3) fail(QStringLiteral("IIf needs three arguments"));
      return u"(CASE WHEN "_qs + expr(e->args[0], true) + u" THEN "_qs + expr(e->args[1]) + u" ELSE "_qs +
             expr(e->args[2]) + u" END)"_qs;
    }
    if (f == u"dlookup"_qs || f == u"dsum"_qs || f == u"dcount"_qs)
      fail(QStringLiteral("the function %1 is not supported").arg(e->text));
    const auto it = functionMap().constFind(f);
    const QString native = it == functionMap().constEnd() ? e->text : *it;
    QStringList xs;
    for (const ExprP& a : e->args) xs << expr(a);
    return native + u'(' + (e->distinct ? QStringLiteral("DISTINCT ") : QString()) +
           xs.join(QStringLiteral(", ")) + u')';
  }

  QString tableRef(const TableRefP& r) {
    QString s;
    switch (r->k) {
      case TableRef::Table:
        s = quoteName(r->name);
        if (r->args) {
          QStringList xs;
          for (const ExprP& a : *r->args) xs << expr(a);
          s = r->name + u'(' + xs.join(u", "_qs) + u')';
        }
        if (!r->alias.isEmpty()) s += u" AS "_qs + quoteName(r->alias);
        return s;
      case TableRef::SubQ:
        s = u'(' + select(*r->sub) + u')';
        if (!r->alias.isEmpty()) s += u" AS "_qs + quoteName(r->alias);
        return s;
      case TableRef::Join:
        if (r->joinType == u","_qs)
          s = tableRef(r->left) + u", "_qs + tableRef(r->right);
        else if (r->joinType == u"CROSS"_qs)
          s = tableRef(r->left) + u" CROSS JOIN "_qs + tableRef(r->right);
        else
          s = tableRef(r->left) + u' ' + r->joinType + u" JOIN "_qs + tableRef(r->right) + u" ON "_qs +
              expr(r->on, true);
        return r->parens ? u'(' + s + u')' : s;
    }
    return s;
  }

  // The select list; `wrap` gives the wrapping function for item i (empty for none) and
  // `names` the column name to give item i (empty: as written).
  QString select(const Select& s, const QStringList& wraps = {}, const QStringList& names = {}) {
    QString out = QStringLiteral("SELECT ");
    if (s.distinct) out += QStringLiteral("DISTINCT ");
    QStringList items;
    for (int i = 0; i < s.items.size(); ++i) {
      const SelItem& it = s.items[i];
      QString x = expr(it.e);
      const QString w = i < wraps.size() ? wraps[i] : QString();
      if (!w.isEmpty()) x = w + u'(' + x + u')';
      QString alias = i < names.size() && !names[i].isEmpty() ? names[i] : it.alias;
      // a plain column keeps its own name (SQLite would name it "col:1" behind a nested join)
      if (alias.isEmpty() && it.e->k == Expr::Col) alias = it.e->parts.last();
      if (!alias.isEmpty()) x += u" AS "_qs + quoteName(alias);
      items << x;
    }
    out += items.join(QStringLiteral(", "));
    if (s.from) out += u" FROM "_qs + tableRef(s.from);
    if (s.where) out += u" WHERE "_qs + expr(s.where, true);
    QStringList groups;
    for (const ExprP& g : s.groupBy) {
      // constant terms (GROUP BY a, -99) group nothing; SQLite would read a number as a position
      if (g->k == Expr::Num || g->k == Expr::Str || g->k == Expr::Null || g->k == Expr::Bool ||
          g->k == Expr::DateLit)
        continue;
      groups << expr(g);
    }
    if (!groups.isEmpty()) out += u" GROUP BY "_qs + groups.join(QStringLiteral(", "));
    if (s.having) out += u" HAVING "_qs + expr(s.having, true);
    if (s.next) out += u' ' + s.compound + u' ' + select(*s.next);
    if (!s.orderBy.isEmpty()) {
      QStringList os;
      for (const OrderItem& o : s.orderBy) os << expr(o.e) + (o.dir.isEmpty() ? QString() : u' ' + o.dir);
      out += u" ORDER BY "_qs + os.join(QStringLiteral(", "));
    }
    if (s.top) out += u" LIMIT "_qs + *s.top;
    return out;
  }
};

// ---------------------------------------------------------------------------------------------
// Statements

QString nativeType(const QString& accessType) {
  const QString t = accessType.toLower();
  static const QStringList texts = {"text", "char", "varchar", "string", "memo", "longtext",
                                    "longchar", "note", "ntext", "nchar", "nvarchar"};
  static const QStringList ints = {"integer", "int", "long", "short", "smallint", "byte",
                                   "tinyint", "integer1", "integer2", "integer4", "bigint"};
  static const QStringList reals = {"float", "double", "real", "single", "number", "numeric",
                                    "decimal", "currency", "money", "float4", "float8", "ieeesingle",
                                    "ieeedouble"};
  static const QStringList bools = {"bit", "yesno", "logical", "logical1", "boolean"};
  static const QStringList dates = {"date", "time", "datetime", "timestamp"};
  static const QStringList blobs = {"binary", "varbinary", "longbinary", "oleobject", "image",
                                    "general", "blob"};
  if (texts.contains(t)) return QStringLiteral("TEXT COLLATE NOCASE");
  if (ints.contains(t)) return QString::fromLatin1(kInteger);
  if (reals.contains(t)) return QString::fromLatin1(kReal);
  if (bools.contains(t)) return QString::fromLatin1(kYesNo);
  if (dates.contains(t)) return QString::fromLatin1(kDate);
  if (blobs.contains(t)) return QStringLiteral("BLOB");
  if (t == u"counter"_qs || t == u"autoincrement"_qs || t == u"identity"_qs)
    return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
  fail(QStringLiteral("unknown column type %1").arg(accessType));
}

QString typeForKind(char k) {
  switch (k) {
    case 'i':
      return QString::fromLatin1(kInteger);
    case 'r':
      return QString::fromLatin1(kReal);
    case 't':
      return QStringLiteral("TEXT COLLATE NOCASE");
    case 'b':
      return QString::fromLatin1(kYesNo);
    case 'd':
      return QString::fromLatin1(kDate);
    default:
      return QString();
  }
}

QString wrapFor(char k) {
  if (k == 'i') return QStringLiteral("acc_to_integer");
  if (k == 'b') return QStringLiteral("acc_to_yesno");
  return QString();
}

class Translator {
 public:
  Translator(const QString& sql, Schema& schema) : schema_(schema), p_(tokenize(sql)) {}

  Translation run() {
    Translation t;
    if (p_.atWord("select") || p_.atOp("(")) {
      // a select in parentheses as a whole statement
      int parens = 0;
      while (p_.atOp("(")) {
        p_.take();
        ++parens;
      }
      SelectP s = p_.select();
      for (int i = 0; i < parens; ++i) p_.expectOp(")");
      end();
      if (!s->into.isEmpty()) return makeTable(*s);
      t.statements << w_.select(*s);
    } else if (p_.atWord("insert")) {
      t.statements << insert();
    } else if (p_.atWord("update")) {
      t.statements << update();
    } else if (p_.atWord("delete")) {
      t.statements << del();
    } else if (p_.atWord("create") || p_.atWord("drop") || p_.atWord("alter")) {
      t.statements << ddl();
      t.changesSchema = true;
    } else if (p_.atWord("transform")) {
      fail(QStringLiteral("crosstab queries (TRANSFORM) are not supported"));
    } else {
      fail(QStringLiteral("syntax error near '%1'").arg(p_.near()));
    }
    return t;
  }

 private:
  void end() {
    p_.eatOp(";");
    if (p_.peek().kind != Tk::End)
      fail(QStringLiteral("unexpected text at the end of the statement near '%1'").arg(p_.near()));
  }

  // Declared types of the column references used in a select, looked up by preparing them.
  void learnColumnTypes(const Select& s) {
    QList<QStringList> refs;
    std::function<void(const ExprP&)> walk = [&](const ExprP& e) {
      if (!e) return;
      if (e->k == Expr::Col) refs << e->parts;
      for (const ExprP& a : e->args) walk(a);
    };
    for (const SelItem& it : s.items) walk(it.e);
    QHash<QString, char> types;
    if (!refs.isEmpty() && s.from) {
      QStringList cols;
      for (const QStringList& r : refs) {
        QStringList q;
        for (const QString& p : r) q << quoteName(p);
        cols << q.join(u'.');
      }
      const QString probe = u"SELECT "_qs + cols.join(QStringLiteral(", ")) + u" FROM "_qs +
                            w_.tableRef(s.from) + u" LIMIT 0"_qs;
      try {
        const QList<ColumnInfo> info = schema_.resultColumns(probe);
        for (int i = 0; i < refs.size() && i < info.size(); ++i)
          types.insert(refs[i].join(u'.').toLower(), typeKind(info[i].declType));
      } catch (const std::exception&) {
        // the full statement reports the engine's message
      }
    }
    w_.colType = [types](const QStringList& parts) {
      return types.value(parts.join(u'.').toLower(), '?');
    };
  }

  Translation makeTable(Select& s) {
    Translation t;
    t.makeTable = true;
    t.changesSchema = true;
    const QString target = s.into;
    QString targetSql = quoteName(target);
    if (s.hasIntoFile) {
      t.attachFile = s.intoFile;
      targetSql = u"[trb_target]."_qs + targetSql;
    }
    s.into.clear();
    learnColumnTypes(s);
    const QString plain = w_.select(s);
    QList<ColumnInfo> cols;
    try {
      cols = schema_.resultColumns(plain);
    } catch (const std::exception& e) {
      fail(QString::fromUtf8(e.what()));
    }
    bool stars = false;
    for (const SelItem& it : s.items) stars = stars || it.e->k == Expr::Star;
    QStringList defs, names, wraps;
    if (!stars) {
      int unnamed = 0;
      for (int i = 0; i < s.items.size() && i < cols.size(); ++i) {
        const SelItem& it = s.items[i];
        QString name = it.alias;
        if (name.isEmpty())
          name = it.e->k == Expr::Col ? it.e->parts.last()
                                      : QStringLiteral("Expr%1").arg(1000 + unnamed++);
        char k = it.e->k == Expr::Col ? typeKind(cols[i].declType) : w_.kind(it.e);
        names << name;
        wraps << (it.e->k == Expr::Col ? QString() : wrapFor(k));
        defs << quoteName(name) + (k == '?' ? QString() : u' ' + typeForKind(k));
      }
      const QString select = w_.select(s, wraps, names);
      t.statements << u"CREATE TABLE "_qs + targetSql + u" ("_qs + defs.join(QStringLiteral(", ")) + u')';
      t.statements << u"INSERT INTO "_qs + targetSql + u' ' + select;
    } else {
      // SELECT * INTO: the columns come as they are from their tables
      for (const ColumnInfo& c : cols) {
        const char k = typeKind(c.declType);
        defs << quoteName(c.name) + (k == '?' ? QString() : u' ' + typeForKind(k));
      }
      t.statements << u"CREATE TABLE "_qs + targetSql + u" ("_qs + defs.join(QStringLiteral(", ")) + u')';
      t.statements << u"INSERT INTO "_qs + targetSql + u' ' + plain;
    }
    return t;
  }

  QString insert() {
    p_.expectWord("insert");
    p_.expectWord("into");
    const QString table = p_.name();
    if (p_.atWord("in")) fail(QStringLiteral("inserting into another database file is not supported"));
    QStringList cols;
    if (p_.eatOp("(")) {
      do {
        QString c = p_.name();
        while (p_.eatOp(".")) c = p_.name();  // table.column
        cols << c;
      } while (p_.eatOp(","));
      p_.expectOp(")");
    }
    const QList<ColumnInfo> info = schema_.tableColumns(table);
    if (cols.isEmpty())
      for (const ColumnInfo& c : info) cols << c.name;
    QStringList wraps;
    for (const QString& c : cols) {
      char k = '?';
      for (const ColumnInfo& ci : info)
        if (ci.name.compare(c, Qt::CaseInsensitive) == 0) k = typeKind(ci.declType);
      wraps << wrapFor(k);
    }
    QStringList qcols;
    for (const QString& c : cols) qcols << quoteName(c);
    QString head = u"INSERT INTO "_qs + quoteName(table);
    if (!qcols.isEmpty()) head += u" ("_qs + qcols.join(QStringLiteral(", ")) + u')';
    if (p_.eatWord("values")) {
      QStringList rows;
      do {
        p_.expectOp("(");
        QStringList vals;
        int i = 0;
        do {
          ExprP e = p_.expr();
          QString x = w_.expr(e);
          if (i < wraps.size() && !wraps[i].isEmpty() && e->k != Expr::Null)
            x = wraps[i] + u'(' + x + u')';
          vals << x;
          ++i;
        } while (p_.eatOp(","));
        p_.expectOp(")");
        rows << u'(' + vals.join(QStringLiteral(", ")) + u')';
      } while (p_.eatOp(","));
      end();
      return head + u" VALUES "_qs + rows.join(QStringLiteral(", "));
    }
    if (!p_.atWord("select")) fail(QStringLiteral("expected VALUES or SELECT near '%1'").arg(p_.near()));
    SelectP s = p_.select();
    end();
    bool simple = !s->next;
    for (const SelItem& it : s->items) simple = simple && it.e->k != Expr::Star;
    if (simple) {
      QStringList w;
      for (int i = 0; i < s->items.size(); ++i)
        w << (i < wraps.size() && s->items[i].e->k != Expr::Null ? wraps[i] : QString());
      return head + u' ' + w_.select(*s, w);
    }
    // stars or a union: round through a subquery by position
    const QString inner = w_.select(*s);
    QList<ColumnInfo> rc;
    try {
      rc = schema_.resultColumns(inner);
    } catch (const std::exception&) {
      return head + u' ' + inner;
    }
    QStringList outCols;
    QSet<QString> seen;
    for (int i = 0; i < rc.size(); ++i) {
      const QString n = rc[i].name.toLower();
      if (seen.contains(n)) return head + u' ' + inner;  // ambiguous names: leave as it is
      seen.insert(n);
      const QString w = i < wraps.size() ? wraps[i] : QString();
      outCols << (w.isEmpty() ? quoteName(rc[i].name) : w + u'(' + quoteName(rc[i].name) + u')');
    }
    return head + u" SELECT "_qs + outCols.join(QStringLiteral(", ")) + u" FROM ("_qs + inner + u')';
  }

  // All tables of a join tree with their ON conditions; false when a join is not an inner one.
  static bool flatten(const TableRefP& r, QList<TableRefP>& tables, QList<ExprP>& conds) {
    if (r->k != TableRef::Join) {
      tables << r;
      return true;
    }
    if (r->joinType != u"INNER"_qs && r->joinType != u","_qs && r->joinType != u"CROSS"_qs) return false;
    if (!flatten(r->left, tables, conds) || !flatten(r->right, tables, conds)) return false;
    if (r->on) conds << r->on;
    return true;
  }

  static void collectTables(const TableRefP& r, QList<TableRefP>& tables) {
    if (r->k != TableRef::Join) {
      tables << r;
      return;
    }
    collectTables(r->left, tables);
    collectTables(r->right, tables);
  }

  static bool refersTo(const TableRefP& t, const QString& qualifier) {
    if (t->k == TableRef::Join) return false;
    const QString n = t->alias.isEmpty() ? t->name : t->alias;
    return n.compare(qualifier, Qt::CaseInsensitive) == 0;
  }

  QString update() {
    p_.expectWord("update");
    TableRefP from = p_.fromList();
    p_.expectWord("set");
    struct Assign {
      QStringList target;
      ExprP value;
    };
    QList<Assign> sets;
    do {
      Assign a;
      a.target << p_.name();
      while (p_.eatOp(".")) a.target << p_.name();
      p_.expectOp("=");
      a.value = p_.expr();
      sets << a;
    } while (p_.eatOp(","));
    ExprP where;
    if (p_.eatWord("where")) where = p_.expr();
    end();

    QList<TableRefP> tables;
    collectTables(from, tables);
    // The target: the table named by the SET columns, else the one that has the column.
    TableRefP target;
    for (const Assign& a : sets) {
      if (a.target.size() < 2) continue;
      for (const TableRefP& t : tables)
        if (refersTo(t, a.target[a.target.size() - 2])) target = t;
    }
    if (!target) {
      for (const TableRefP& t : tables) {
        if (t->k != TableRef::Table) continue;
        for (const ColumnInfo& c : schema_.tableColumns(t->name))
          if (c.name.compare(sets.first().target.last(), Qt::CaseInsensitive) == 0) target = t;
        if (target) break;
      }
    }
    if (!target && tables.size() == 1) target = tables.first();
    if (!target || target->k != TableRef::Table)
      fail(QStringLiteral("cannot tell which table the UPDATE changes"));

    const QList<ColumnInfo> info = schema_.tableColumns(target->name);
    QStringList assigns;
    for (const Assign& a : sets) {
      char k = '?';
      for (const ColumnInfo& ci : info)
        if (ci.name.compare(a.target.last(), Qt::CaseInsensitive) == 0) k = typeKind(ci.declType);
      QString v = w_.expr(a.value);
      const QString w = wrapFor(k);
      if (!w.isEmpty() && a.value->k != Expr::Null) v = w + u'(' + v + u')';
      assigns << quoteName(a.target.last()) + u" = "_qs + v;
    }
    QString head = u"UPDATE "_qs + quoteName(target->name);
    if (!target->alias.isEmpty()) head += u" AS "_qs + quoteName(target->alias);
    head += u" SET "_qs + assigns.join(QStringLiteral(", "));
    if (tables.size() == 1) return head + (where ? u" WHERE "_qs + w_.expr(where, true) : QString());

    QList<TableRefP> flat;
    QList<ExprP> conds;
    if (flatten(from, flat, conds)) {
      int uses = 0;
      for (const TableRefP& t : flat)
        if (t->k == TableRef::Table && t->name.compare(target->name, Qt::CaseInsensitive) == 0)
          ++uses;
      if (uses == 1) {
        QStringList others;
        for (const TableRefP& t : flat)
          if (t != target) others << w_.tableRef(t);
        QStringList cs;
        for (const ExprP& c : conds) cs << w_.expr(c, true);
        if (where) cs << w_.expr(where, true);
        QString out = head + u" FROM "_qs + others.join(QStringLiteral(", "));
        if (!cs.isEmpty()) out += u" WHERE "_qs + cs.join(QStringLiteral(" AND "));
        return out;
      }
    }
    // Outer joins: the joined rows are matched to the target's rows by their row id.
    const QString inner = QStringLiteral("trb_upd");
    const QString saveAlias = target->alias;
    target->alias = inner;
    const QString fromSql = w_.tableRef(from);
    target->alias = saveAlias;
    const QString self = saveAlias.isEmpty() ? quoteName(target->name) : quoteName(saveAlias);
    QString out = head + u" FROM "_qs + fromSql + u" WHERE "_qs + self + u".rowid = ["_qs + inner + u"].rowid"_qs;
    if (where) out += u" AND "_qs + w_.expr(where, true);
    return out;
  }

  QString del() {
    p_.expectWord("delete");
    QString targetName;  // qualifier of "t.*", if any
    if (!p_.atWord("from")) {
      // DELETE t.*, t.col, * FROM ...
      do {
        ExprP e = p_.expr();
        if (e->k == Expr::Star && !e->parts.isEmpty() && targetName.isEmpty())
          targetName = e->parts.last();
        else if (e->k == Expr::Col && e->parts.size() == 1 && targetName.isEmpty() &&
                 !p_.atOp(","))
          targetName = e->parts.first();  // DELETE t FROM ...
      } while (p_.eatOp(","));
    }
    p_.expectWord("from");
    TableRefP from = p_.fromList();
    ExprP where;
    if (p_.eatWord("where")) where = p_.expr();
    end();
    QList<TableRefP> tables;
    collectTables(from, tables);
    TableRefP target;
    if (targetName.isEmpty()) {
      target = tables.first();
    } else {
      for (const TableRefP& t : tables)
        if (refersTo(t, targetName)) target = t;
      if (!target) {
        for (const TableRefP& t : tables)
          if (t->k == TableRef::Table && t->name.compare(targetName, Qt::CaseInsensitive) == 0)
            target = t;
      }
    }
    if (!target || target->k != TableRef::Table)
      fail(QStringLiteral("cannot tell from which table the DELETE removes rows"));
    if (tables.size() == 1) {
      QString out = u"DELETE FROM "_qs + quoteName(target->name);
      if (!target->alias.isEmpty()) out += u" AS "_qs + quoteName(target->alias);
      if (where) out += u" WHERE "_qs + w_.expr(where, true);
      return out;
    }
    const QString self = target->alias.isEmpty() ? quoteName(target->name) : quoteName(target->alias);
    QString sub = u"SELECT "_qs + self + u".rowid FROM "_qs + w_.tableRef(from);
    if (where) sub += u" WHERE "_qs + w_.expr(where, true);
    return u"DELETE FROM "_qs + quoteName(target->name) + u" WHERE rowid IN ("_qs + sub + u')';
  }

  // CREATE TABLE / INDEX, DROP TABLE / INDEX, ALTER TABLE ADD / DROP COLUMN
  QString ddl() {
    if (p_.eatWord("drop")) {
      if (p_.eatWord("table")) {
        const QString t = p_.name();
        end();
        return u"DROP TABLE "_qs + quoteName(t);
      }
      if (p_.eatWord("index")) {
        const QString i = p_.name();
        if (p_.eatWord("on")) p_.name();
        end();
        return u"DROP INDEX "_qs + quoteName(i);
      }
      fail(QStringLiteral("expected TABLE or INDEX after DROP"));
    }
    if (p_.eatWord("alter")) {
      p_.expectWord("table");
      const QString t = p_.name();
      if (p_.eatWord("add")) {
        p_.eatWord("column");
        const QString col = columnDef();
        end();
        return u"ALTER TABLE "_qs + quoteName(t) + u" ADD COLUMN "_qs + col;
      }
      if (p_.eatWord("drop")) {
        p_.eatWord("column");
        const QString c = p_.name();
        end();
        return u"ALTER TABLE "_qs + quoteName(t) + u" DROP COLUMN "_qs + quoteName(c);
      }
      fail(QStringLiteral("only ALTER TABLE ... ADD and DROP are supported"));
    }
    p_.expectWord("create");
    const bool unique = p_.eatWord("unique");
    if (p_.eatWord("index")) {
      const QString idx = p_.name();
      p_.expectWord("on");
      const QString t = p_.name();
      p_.expectOp("(");
      QStringList cols;
      do {
        QString c = quoteName(p_.name());
        if (p_.eatWord("asc"))
          c += QStringLiteral(" ASC");
        else if (p_.eatWord("desc"))
          c += QStringLiteral(" DESC");
        cols << c;
      } while (p_.eatOp(","));
      p_.expectOp(")");
      if (p_.eatWord("with")) {  // WITH PRIMARY / DISALLOW NULL / IGNORE NULL
        while (!p_.atEnd()) p_.take();
      }
      end();
      return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
          .arg(unique ? QStringLiteral("UNIQUE ") : QString(), quoteName(idx), quoteName(t),
               cols.join(QStringLiteral(", ")));
    }
    if (unique) fail(QStringLiteral("expected INDEX after UNIQUE"));
    p_.expectWord("table");
    const QString t = p_.name();
    p_.expectOp("(");
    QStringList defs;
    do {
      if (p_.atWord("constraint") || p_.atWord("primary")) {
        defs << constraint();
      } else {
        defs << columnDef();
      }
    } while (p_.eatOp(","));
    p_.expectOp(")");
    end();
    return u"CREATE TABLE "_qs + quoteName(t) + u" ("_qs + defs.join(QStringLiteral(", ")) + u')';
  }

  QString columnDef() {
    const QString name = p_.name();
    const QString type = p_.take().text;
    QString out = quoteName(name) + u' ' + nativeType(type);
    if (p_.eatOp("(")) {  // TEXT(50), DECIMAL(10,2): the size is not kept
      while (!p_.atOp(")") && !p_.atEnd()) p_.take();
      p_.expectOp(")");
    }
    for (;;) {
      if (p_.atWord("not") && p_.atWord("null", 1)) {
        p_.take();
        p_.take();
        out += QStringLiteral(" NOT NULL");
      } else if (p_.eatWord("null")) {
      } else if (p_.atWord("primary") && p_.atWord("key", 1)) {
        p_.take();
        p_.take();
        if (!out.contains(u"PRIMARY KEY"_qs)) out += QStringLiteral(" PRIMARY KEY");
      } else if (p_.eatWord("unique")) {
        out += QStringLiteral(" UNIQUE");
      } else if (p_.eatWord("default")) {
        out += u" DEFAULT "_qs + w_.expr(p_.primary());
      } else if (p_.eatWord("constraint")) {
        p_.name();
      } else {
        break;
      }
    }
    return out;
  }

  QString constraint() {
    if (p_.eatWord("constraint")) p_.name();
    p_.expectWord("primary");
    p_.expectWord("key");
    p_.expectOp("(");
    QStringList cols;
    do cols << quoteName(p_.name());
    while (p_.eatOp(","));
    p_.expectOp(")");
    return u"PRIMARY KEY ("_qs + cols.join(QStringLiteral(", ")) + u')';
  }

  Schema& schema_;
  Parser p_;
  Writer w_;
};

}  // namespace

Translation translate(const QString& accessSql, Schema& schema) {
  return Translator(accessSql, schema).run();
}

}  // namespace trb::db::dialect
