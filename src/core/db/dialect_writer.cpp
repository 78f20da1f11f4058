#include "core/db/dialect_writer.h"

#include <QDate>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

#include "core/db/dialect.h"
#include "core/db/dialect_error.h"

namespace trb::db::dialect::detail {

QString quoteName(const QString& n) {
  if (n.contains(u']')) return u'`' + QString(n).replace(u'`', QStringLiteral("``")) + u'`';
  return u'[' + n + u']';
}

namespace {

QString quoteString(const QString& s) {
  return u'\'' + QString(s).replace(u'\'', QStringLiteral("''")) + u'\'';
}

QString isoDate(const QString& lit) {
  // #m/d/yyyy#, #m/d/yy#, #yyyy-mm-dd#, each optionally with a time of day.
  static const QRegularExpression us(QStringLiteral(
      "^(\\d{1,2})/(\\d{1,2})/(\\d{2,4})(?:\\s+(\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?$"));
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
      static const QStringList ops = {
          "=", "<>", "<", ">", "<=", ">=", "AND", "OR", "XOR", "EQV", "IMP"};
      return ops.contains(e->text);
    }
    default:
      return false;
  }
}

const QHash<QString, QString>& functionMap() {
  static const QHash<QString, QString> m = {
      {"int", "acc_int"},       {"fix", "acc_fix"},      {"cint", "acc_cint"},
      {"clng", "acc_clng"},     {"cdbl", "acc_cdbl"},    {"csng", "acc_csng"},
      {"cstr", "acc_cstr"},     {"str", "acc_str"},      {"str$", "acc_str"},
      {"trim", "acc_trim"},     {"trim$", "acc_trim"},   {"ltrim", "acc_ltrim"},
      {"rtrim", "acc_rtrim"},   {"left", "acc_left"},    {"left$", "acc_left"},
      {"right", "acc_right"},   {"right$", "acc_right"}, {"mid", "acc_mid"},
      {"mid$", "acc_mid"},      {"len", "acc_len"},      {"ucase", "acc_ucase"},
      {"lcase", "acc_lcase"},   {"instr", "acc_instr"},  {"nz", "acc_nz"},
      {"isnull", "acc_isnull"}, {"val", "acc_val"},      {"sgn", "acc_sgn"},
      {"sqr", "acc_sqr"},       {"log", "acc_log"},      {"exp", "acc_exp"},
      {"round", "acc_round"},   {"date", "acc_date"},    {"now", "acc_now"},
      {"format", "acc_format"}, {"year", "acc_year"},    {"month", "acc_month"},
      {"day", "acc_day"},       {"first", "acc_first"},  {"last", "acc_last"},
      {"stdev", "acc_stdev"},   {"var", "acc_var"},      {"abs", "abs"},
      {"sum", "sum"},           {"avg", "avg"},          {"count", "count"},
      {"min", "min"},           {"max", "max"}};
  return m;
}

// The functions of this database as they may be written: the Access names above, IIf, and the
// names the translation emits. Anything else (the engine's own functions, extension hooks) is not
// part of the dialect.
bool knownFunction(const QString& lowerName) {
  static const QSet<QString> emitted = [] {
    QSet<QString> s;
    for (const QString& v : functionMap()) s.insert(v);
    for (const char* n : {"acc_div", "acc_intdiv", "acc_mod", "acc_pow", "acc_plus", "acc_concat",
                          "acc_to_integer", "acc_to_yesno"})
      s.insert(QString::fromLatin1(n));
    return s;
  }();
  return lowerName == u"iif"_qs || functionMap().contains(lowerName) || emitted.contains(lowerName);
}

// Type kinds of expressions, for the columns of a make-table query.
char merge(char a, char b) {
  if (a == '?') return b;
  if (b == '?') return a;
  if (a == b) return a;
  if (a == 't' || b == 't') return 't';
  return 'r';
}

// The kind of a non-boolean binary operation on operands of kinds a and b.
char binaryKind(const QString& op, char a, char b) {
  if (op == u"&"_qs) return 't';
  if (op == u"/"_qs || op == u"^"_qs) return 'r';
  if (op == u"\\"_qs || op == u"MOD"_qs) return 'i';
  if (op == u"+"_qs && (a == 't' || b == 't')) return 't';
  return a == 'i' && b == 'i' ? 'i' : 'r';
}

bool booleanOp(const QString& op) {
  static const QStringList ops = {
      "=", "<>", "<", ">", "<=", ">=", "AND", "OR", "XOR", "EQV", "IMP"};
  return ops.contains(op);
}

// The text of a left-nested operation built from the inside out: every step puts a head in front
// and a tail behind, so a chain of many operands is written in linear time.
struct Nested {
  QStringList heads;  // innermost first
  QString tail;
  bool boolean = false;  // the text is a condition (needs -(...) to be a value)
  char kind = '?';
  bool column = false;
  // the operator class of the last step when it was written as "(left op right)": a further
  // step of the same class joins it ("(a + b - c)"), which the engine reads the same way without
  // a level of parentheses per operand
  QString run;

  void wrap(const QString& head, const QString& after) {
    heads << head;
    tail += after;
    run.clear();
  }
  void infix(const QString& cls, const QString& op, const QString& right) {
    if (run == cls) {
      tail.chop(1);
      tail += u' ' + op + u' ' + right + u')';
    } else {
      wrap(QStringLiteral("("), u' ' + op + u' ' + right + u')');
      run = cls;
    }
  }
  void asValue() {
    if (boolean) wrap(QStringLiteral("(-("), QStringLiteral("))"));
    boolean = false;
  }
  static QString infixClass(const QString& op) {
    if (op == u"+"_qs || op == u"-"_qs) return QStringLiteral("add");
    if (op == u"*"_qs) return QStringLiteral("mul");
    if (op == u"AND"_qs || op == u"OR"_qs) return op;
    return QString();
  }
  QString text() const {
    QString s;
    for (qsizetype i = heads.size() - 1; i >= 0; --i) s += heads[i];
    return s + tail;
  }
};

// A long chain of AND or OR, written as a balanced tree so that its depth stays small.
QString balanced(const QStringList& terms, qsizetype lo, qsizetype hi, const QString& op) {
  if (hi - lo == 1) return terms[lo];
  const qsizetype mid = lo + (hi - lo) / 2;
  return u'(' + balanced(terms, lo, mid, op) + u' ' + op + u' ' + balanced(terms, mid, hi, op) +
         u')';
}

}  // namespace

const QString& Writer::opAt(const ExprP& e, qsizetype i) {
  return e->ops.isEmpty() ? e->text : e->ops[i - 1];
}

QString Writer::expr(const ExprP& e, bool boolCtx) {
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

char Writer::kind(const ExprP& e) {
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
      if (e->text == u"&"_qs) return 't';
      char k = kind(e->args[0]);
      for (qsizetype i = 1; i < e->args.size(); ++i)
        k = binaryKind(opAt(e, i), k, kind(e->args[i]));
      return k;
    }
    case Expr::Func: {
      const QString f = e->text.toLower();
      const char a = e->args.isEmpty() ? '?' : kind(e->args[0]);
      if (f == u"count"_qs || f == u"cint"_qs || f == u"clng"_qs || f == u"len"_qs ||
          f == u"instr"_qs || f == u"sgn"_qs || f == u"year"_qs || f == u"month"_qs ||
          f == u"day"_qs || f == u"isnull"_qs)
        return 'i';
      if (f == u"str"_qs || f == u"str$"_qs || f == u"cstr"_qs || f.contains(u"trim"_qs) ||
          f.startsWith(u"left"_qs) || f.startsWith(u"right"_qs) || f.startsWith(u"mid"_qs) ||
          f == u"ucase"_qs || f == u"lcase"_qs || f == u"format"_qs)
        return 't';
      if (f == u"min"_qs || f == u"max"_qs || f == u"first"_qs || f == u"last"_qs) return a;
      if (f == u"int"_qs || f == u"fix"_qs || f == u"abs"_qs || f == u"round"_qs)
        return a == 'i' ? 'i' : 'r';
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

QString Writer::binary(const ExprP& e) {
  if (e->text == u"&"_qs) {
    QStringList parts;
    flattenConcat(e, parts);
    // the engine takes a limited number of arguments: long chains go in groups
    constexpr qsizetype kGroup = 100;
    while (parts.size() > kGroup) {
      QStringList grouped;
      for (qsizetype i = 0; i < parts.size(); i += kGroup)
        grouped << u"acc_concat("_qs + parts.mid(i, kGroup).join(QStringLiteral(", ")) + u')';
      parts = grouped;
    }
    return u"acc_concat("_qs + parts.join(QStringLiteral(", ")) + u')';
  }
  const qsizetype n = e->args.size();
  // AND and OR do not depend on grouping: a long chain of one of them is written balanced
  constexpr qsizetype kBalanceFrom = 32;
  if (n >= kBalanceFrom && (e->text == u"AND"_qs || e->text == u"OR"_qs) &&
      std::all_of(e->ops.begin(), e->ops.end(), [&](const QString& o) { return o == e->text; })) {
    QStringList terms;
    for (const ExprP& a : e->args) terms << expr(a, true);
    return balanced(terms, 0, n, e->text);
  }
  Nested l;
  l.tail = expr(e->args[0], true);
  l.boolean = isBoolean(e->args[0]);
  l.kind = kind(e->args[0]);
  l.column = e->args[0]->k == Expr::Col;
  for (qsizetype i = 1; i < n; ++i) {
    const QString& op = opAt(e, i);
    const ExprP& b = e->args[i];
    const char kb = kind(b);
    if (op == u"AND"_qs || op == u"OR"_qs) {
      l.infix(op, op, expr(b, true));
    } else if (op == u"XOR"_qs) {
      l.wrap(QStringLiteral("(("), u") <> ("_qs + expr(b, true) + u"))"_qs);
    } else if (op == u"EQV"_qs) {
      l.wrap(QStringLiteral("(("), u") = ("_qs + expr(b, true) + u"))"_qs);
    } else if (op == u"IMP"_qs) {
      l.wrap(QStringLiteral("((NOT "), u") OR "_qs + expr(b, true) + u')');
    } else if (booleanOp(op)) {
      // text compares without regard to case
      const QString coll = (l.kind == 't' && !l.column) || (kb == 't' && b->k != Expr::Col)
                               ? QStringLiteral(" COLLATE NOCASE")
                               : QString();
      l.asValue();
      l.wrap(QStringLiteral("("), u' ' + op + u' ' + expr(b) + coll + u')');
    } else {
      l.asValue();
      const QString rb = expr(b);
      if (op == u"+"_qs) {
        if ((l.kind == 'i' || l.kind == 'r') && (kb == 'i' || kb == 'r'))
          l.infix(Nested::infixClass(op), op, rb);
        else if (l.kind == 't' && kb == 't')
          l.wrap(QStringLiteral("("), u" || "_qs + rb + u')');
        else
          l.wrap(QStringLiteral("acc_plus("), u", "_qs + rb + u')');
      } else if (op == u"/"_qs) {
        l.wrap(QStringLiteral("acc_div("), u", "_qs + rb + u')');
      } else if (op == u"\\"_qs) {
        l.wrap(QStringLiteral("acc_intdiv("), u", "_qs + rb + u')');
      } else if (op == u"MOD"_qs) {
        l.wrap(QStringLiteral("acc_mod("), u", "_qs + rb + u')');
      } else if (op == u"^"_qs) {
        l.wrap(QStringLiteral("acc_pow("), u", "_qs + rb + u')');
      } else if (!Nested::infixClass(op).isEmpty()) {
        l.infix(Nested::infixClass(op), op, rb);
      } else {
        l.wrap(QStringLiteral("("), u' ' + op + u' ' + rb + u')');
      }
    }
    l.boolean = booleanOp(op);
    l.kind = l.boolean ? 'i' : binaryKind(op, l.kind, kb);
    l.column = false;
  }
  return l.text();
}

void Writer::flattenConcat(const ExprP& e, QStringList& parts) {
  if (e->k == Expr::Binary && e->text == u"&"_qs) {
    for (const ExprP& a : e->args) flattenConcat(a, parts);
  } else {
    parts << expr(e);
  }
}

QString Writer::func(const ExprP& e) {
  const QString f = e->text.toLower();
  if (f == u"iif"_qs) {
    if (e->args.size() != 3) fail(QStringLiteral("IIf needs three arguments"));
    return u"(CASE WHEN "_qs + expr(e->args[0], true) + u" THEN "_qs + expr(e->args[1]) +
           u" ELSE "_qs + expr(e->args[2]) + u" END)"_qs;
  }
  if (f == u"dlookup"_qs || f == u"dsum"_qs || f == u"dcount"_qs)
    fail(QStringLiteral("the function %1 is not supported").arg(e->text));
  if (!knownFunction(f)) fail(QStringLiteral("unknown function %1").arg(e->text));
  const auto it = functionMap().constFind(f);
  const QString native = it == functionMap().constEnd() ? e->text : *it;
  QStringList xs;
  for (const ExprP& a : e->args) xs << expr(a);
  return native + u'(' + (e->distinct ? QStringLiteral("DISTINCT ") : QString()) +
         xs.join(QStringLiteral(", ")) + u')';
}

QString Writer::tableName(const QString& owner, const QString& name) const {
  if (!owner.isEmpty() && attached.contains(owner, Qt::CaseInsensitive))
    return quoteName(owner) + u'.' + quoteName(name);
  return quoteName(name);
}

QString Writer::tableRef(const TableRefP& r) {
  QString s;
  switch (r->k) {
    case TableRef::Table:
      s = tableName(r->owner, r->name);
      if (r->args) {
        // of the engine's table-valued functions, only the reading of a table's structure
        static const QStringList readers = {"pragma_table_info",  "pragma_table_xinfo",
                                            "pragma_index_list",  "pragma_index_info",
                                            "pragma_index_xinfo", "pragma_foreign_key_list"};
        if (!readers.contains(r->name.toLower()))
          fail(QStringLiteral("unknown function %1").arg(r->name));
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
        s = tableRef(r->left) + u' ' + r->joinType + u" JOIN "_qs + tableRef(r->right) +
            u" ON "_qs + expr(r->on, true);
      return r->parens ? u'(' + s + u')' : s;
  }
  return s;
}

QString Writer::select(const Select& s, const QStringList& wraps, const QStringList& names) {
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
    for (const OrderItem& o : s.orderBy)
      os << expr(o.e) + (o.dir.isEmpty() ? QString() : u' ' + o.dir);
    out += u" ORDER BY "_qs + os.join(QStringLiteral(", "));
  }
  if (s.top) out += u" LIMIT "_qs + *s.top;
  return out;
}

QString nativeType(const QString& accessType) {
  const QString t = accessType.toLower();
  static const QStringList texts = {"text",     "char", "varchar", "string", "memo",    "longtext",
                                    "longchar", "note", "ntext",   "nchar",  "nvarchar"};
  static const QStringList ints = {"integer",  "int",      "long",    "short",
                                   "smallint", "byte",     "tinyint", "integer1",
                                   "integer2", "integer4", "bigint"};
  static const QStringList reals = {"float",   "double",     "real",      "single", "number",
                                    "numeric", "decimal",    "currency",  "money",  "float4",
                                    "float8",  "ieeesingle", "ieeedouble"};
  static const QStringList bools = {"bit", "yesno", "logical", "logical1", "boolean"};
  static const QStringList dates = {"date", "time", "datetime", "timestamp"};
  static const QStringList blobs = {"binary", "varbinary", "longbinary", "oleobject",
                                    "image",  "general",   "blob"};
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

}  // namespace trb::db::dialect::detail
