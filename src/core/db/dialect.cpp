#include "core/db/dialect.h"

#include <QHash>
#include <QSet>
#include <functional>

#include "core/db/dialect_error.h"
#include "core/db/dialect_parser.h"
#include "core/db/dialect_writer.h"

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

using namespace detail;

// ---------------------------------------------------------------------------------------------
// Statements

class Translator {
 public:
  Translator(const QString& sql, Schema& schema) : schema_(schema), p_(tokenize(sql)) {
    w_.attached = schema_.attachedDatabases();
  }

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
      t.statements << u"CREATE TABLE "_qs + targetSql + u" ("_qs + defs.join(QStringLiteral(", ")) +
                          u')';
      t.statements << u"INSERT INTO "_qs + targetSql + u' ' + select;
    } else {
      // SELECT * INTO: the columns come as they are from their tables
      for (const ColumnInfo& c : cols) {
        const char k = typeKind(c.declType);
        defs << quoteName(c.name) + (k == '?' ? QString() : u' ' + typeForKind(k));
      }
      t.statements << u"CREATE TABLE "_qs + targetSql + u" ("_qs + defs.join(QStringLiteral(", ")) +
                          u')';
      t.statements << u"INSERT INTO "_qs + targetSql + u' ' + plain;
    }
    return t;
  }

  QString insert() {
    p_.expectWord("insert");
    p_.expectWord("into");
    QString owner;
    QString table = p_.name();
    if (p_.eatOp(".")) {
      owner = table;
      table = p_.name();
    }
    if (p_.atWord("in"))
      fail(QStringLiteral("inserting into another database file is not supported"));
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
    QString head = u"INSERT INTO "_qs + w_.tableName(owner, table);
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
    if (!p_.atWord("select"))
      fail(QStringLiteral("expected VALUES or SELECT near '%1'").arg(p_.near()));
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
    return head + u" SELECT "_qs + outCols.join(QStringLiteral(", ")) + u" FROM ("_qs + inner +
           u')';
  }

  // All tables of a join tree with their ON conditions; false when a join is not an inner one.
  static bool flatten(const TableRefP& r, QList<TableRefP>& tables, QList<ExprP>& conds) {
    if (r->k != TableRef::Join) {
      tables << r;
      return true;
    }
    if (r->joinType != u"INNER"_qs && r->joinType != u","_qs && r->joinType != u"CROSS"_qs)
      return false;
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
    if (tables.size() == 1)
      return head + (where ? u" WHERE "_qs + w_.expr(where, true) : QString());

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
    QString out = head + u" FROM "_qs + fromSql + u" WHERE "_qs + self + u".rowid = ["_qs + inner +
                  u"].rowid"_qs;
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
        else if (e->k == Expr::Col && e->parts.size() == 1 && targetName.isEmpty() && !p_.atOp(","))
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
    const QString self =
        target->alias.isEmpty() ? quoteName(target->name) : quoteName(target->alias);
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

QString makeTableFile(const QString& accessSql) {
  try {
    Parser p(tokenize(accessSql));
    while (p.atOp("(")) p.take();
    if (!p.atWord("select")) return QString();
    const SelectP s = p.select();
    return s->hasIntoFile ? s->intoFile : QString();
  } catch (const std::exception&) {
    return QString();
  }
}

}  // namespace trb::db::dialect
