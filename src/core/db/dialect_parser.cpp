#include "core/db/dialect_parser.h"

#include <QStringList>

#include "core/db/dialect_error.h"

namespace trb::db::dialect::detail {

Parser::Nest::Nest(Parser& p, int levels) : p_(p), levels_(levels) {
  p_.depth_ += levels_;
  if (p_.depth_ > kMaxDepth) {
    p_.depth_ -= levels_;
    fail(QStringLiteral("expression too deeply nested"));
  }
}

void Parser::expectWord(const char* w) {
  if (!eatWord(w)) fail(QStringLiteral("expected %1 near '%2'").arg(QLatin1String(w), near()));
}
void Parser::expectOp(const char* o) {
  if (!eatOp(o)) fail(QStringLiteral("expected '%1' near '%2'").arg(QLatin1String(o), near()));
}
QString Parser::near() const {
  const Token& t = peek();
  return t.kind == Tk::End ? QStringLiteral("end of statement") : t.text;
}

QString Parser::name() {
  const Token& t = peek();
  if (t.kind == Tk::Name || (t.kind == Tk::Word && !reserved(t.text))) {
    ++p_;
    return t.text;
  }
  fail(QStringLiteral("expected a name near '%1'").arg(near()));
}
bool Parser::atName(int k) const {
  const Token& t = peek(k);
  return t.kind == Tk::Name || (t.kind == Tk::Word && !reserved(t.text));
}

bool Parser::reserved(const QString& w) {
  static const QStringList words = {
      "select",   "from",        "where", "group", "order",  "having",  "into",  "inner", "left",
      "right",    "join",        "on",    "and",   "or",     "not",     "union", "as",    "set",
      "values",   "by",          "in",    "is",    "like",   "between", "outer", "full",  "cross",
      "distinct", "distinctrow", "top",   "case",  "when",   "then",    "else",  "end",   "null",
      "xor",      "mod",         "asc",   "desc",  "exists", "eqv",     "imp",   "all"};
  return words.contains(w.toLower());
}

ExprP Parser::binaryLoop(ExprP (Parser::*sub)(), std::initializer_list<const char*> ops,
                         bool words) {
  ExprP first = (this->*sub)();
  ExprP chain;
  for (;;) {
    const char* hit = nullptr;
    for (const char* o : ops)
      if (words ? atWord(o) : atOp(o)) hit = o;
    if (!hit) return chain ? chain : first;
    ++p_;
    ExprP r = (this->*sub)();
    const QString op = QString::fromLatin1(hit).toUpper();
    if (!chain) {
      chain = mk(Expr::Binary, op);
      chain->args = {first};
    }
    chain->ops << op;
    chain->args << r;
  }
}

ExprP Parser::notExpr() {
  int nots = 0;
  while (atWord("not")) {
    ++p_;
    ++nots;
    if (depth_ + nots > kMaxDepth) fail(QStringLiteral("expression too deeply nested"));
  }
  if (nots == 0) return cmpExpr();
  Nest nest(*this, nots);
  ExprP e = cmpExpr();
  for (int i = 0; i < nots; ++i) {
    auto u = mk(Expr::Unary, QStringLiteral("NOT"));
    u->args = {e};
    e = u;
  }
  return e;
}
ExprP Parser::cmpExpr() {
  ExprP l = concatExpr();
  // every test wraps the one before it: the levels count as nesting
  const DepthRestore restore(depth_);
  for (bool first = true;; first = false) {
    if (!first && ++depth_ > kMaxDepth) fail(QStringLiteral("expression too deeply nested"));
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
      Nest nest(*this);
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
ExprP Parser::unaryExpr() {
  QList<bool> minus;  // the signs in front, outermost first
  while (atOp("-") || atOp("+")) {
    minus << (take().text == u"-"_qs);
    if (depth_ + minus.size() > kMaxDepth) fail(QStringLiteral("expression too deeply nested"));
  }
  if (minus.isEmpty()) return powExpr();
  Nest nest(*this, int(minus.size()));
  ExprP operand = powExpr();
  for (qsizetype i = minus.size() - 1; i >= 0; --i) {
    if (!minus[i]) continue;
    if (operand->k == Expr::Num) {
      operand->text = operand->text.startsWith(u'-') ? operand->text.mid(1) : u'-' + operand->text;
      continue;
    }
    auto u = mk(Expr::Unary, QStringLiteral("-"));
    u->args = {operand};
    operand = u;
  }
  return operand;
}
ExprP Parser::powExpr() {
  ExprP first = primary();
  ExprP chain;
  while (eatOp("^")) {
    ExprP r = atOp("-") || atOp("+") ? unaryExpr() : primary();
    if (!chain) {
      chain = mk(Expr::Binary, QStringLiteral("^"));
      chain->args = {first};
    }
    chain->ops << QStringLiteral("^");
    chain->args << r;
  }
  return chain ? chain : first;
}

ExprP Parser::primary() {
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
        Nest nest(*this);
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
        Nest nest(*this);
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

ExprP Parser::funcCall(const QString& fname) {
  expectOp("(");
  Nest nest(*this);
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

ExprP Parser::caseExpr() {
  expectWord("case");
  Nest nest(*this);
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
TableRefP Parser::fromList() {
  TableRefP l = joined();
  // each further table wraps the ones before it
  const DepthRestore restore(depth_);
  while (eatOp(",")) {
    if (++depth_ > kMaxDepth) fail(QStringLiteral("too many tables in the FROM clause"));
    auto j = std::make_shared<TableRef>();
    j->k = TableRef::Join;
    j->joinType = QStringLiteral(",");
    j->left = l;
    j->right = joined();
    l = j;
  }
  return l;
}

TableRefP Parser::joined() {
  TableRefP l = tablePrimary();
  const DepthRestore restore(depth_);
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
    if (++depth_ > kMaxDepth) fail(QStringLiteral("too many tables in the FROM clause"));
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

TableRefP Parser::tablePrimary() {
  if (eatOp("(")) {
    Nest nest(*this);
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
  // owner.table: the writer keeps the owner only where it names an attached database file
  while (eatOp(".")) {
    r->owner = r->name;
    r->name = name();
  }
  if (eatOp("(")) {
    Nest nest(*this);
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

QString Parser::optAlias() {
  if (eatWord("as")) return name();
  if (atName()) return name();
  if (peek().kind == Tk::String) return take().text;
  return QString();
}

// --- SELECT
SelectP Parser::select() {
  Nest nest(*this);
  auto s = simpleSelect();
  SelectP cur = s;
  int terms = 1;
  while (atWord("union")) {
    ++p_;
    if (++terms > kMaxUnion) fail(QStringLiteral("too many UNION terms"));
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

SelectP Parser::simpleSelect() {
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

}  // namespace trb::db::dialect::detail
