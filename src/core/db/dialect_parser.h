// The parser of the dialect translator: tokens into the syntax tree (dialect_ast.h).
#pragma once

#include <QList>
#include <QString>
#include <algorithm>
#include <initializer_list>
#include <utility>

#include "core/db/dialect_ast.h"
#include "core/db/dialect_lexer.h"

namespace trb::db::dialect::detail {

// Recursive descent over the tokens of one statement; what it cannot read throws DialectError.
// The translator reads the clauses of INSERT, UPDATE, DELETE and the data definitions itself
// through the same cursor.
//
// Chains of operators of one precedence are read in a loop into one node, so a long chain costs
// no depth. Everything that nests (parentheses, NOT, signs, functions, subqueries, CASE, joins)
// counts against kMaxDepth: deeper statements are refused before anything recurses far.
class Parser {
 public:
  static constexpr int kMaxDepth = 256;
  static constexpr int kMaxUnion = 500;

  explicit Parser(QList<Token> toks) : t_(std::move(toks)) {}

  const Token& peek(int k = 0) const { return t_[std::min<qsizetype>(p_ + k, t_.size() - 1)]; }
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
  void expectWord(const char* w);
  void expectOp(const char* o);
  QString near() const;
  bool atEnd() const { return peek().kind == Tk::End || (atOp(";") && peek(1).kind == Tk::End); }
  qsizetype pos() const { return p_; }
  void setPos(qsizetype p) { p_ = p; }

  // A table, column or alias name.
  QString name();
  bool atName(int k = 0) const;

  static bool reserved(const QString& w);

  // --- expressions, lowest precedence first
  ExprP expr() { return orExpr(); }

  ExprP binaryLoop(ExprP (Parser::*sub)(), std::initializer_list<const char*> ops, bool words);

  ExprP orExpr() { return binaryLoop(&Parser::andExpr, {"or", "xor", "eqv", "imp"}, true); }
  ExprP andExpr() { return binaryLoop(&Parser::notExpr, {"and"}, true); }
  ExprP notExpr();
  ExprP cmpExpr();
  ExprP concatExpr() { return binaryLoop(&Parser::addExpr, {"&"}, false); }
  ExprP addExpr() { return binaryLoop(&Parser::modExpr, {"+", "-"}, false); }
  ExprP modExpr() { return binaryLoop(&Parser::idivExpr, {"mod"}, true); }
  ExprP idivExpr() { return binaryLoop(&Parser::mulExpr, {"\\"}, false); }
  ExprP mulExpr() { return binaryLoop(&Parser::unaryExpr, {"*", "/"}, false); }
  ExprP unaryExpr();
  ExprP powExpr();

  ExprP primary();
  ExprP funcCall(const QString& fname);
  ExprP caseExpr();

  // --- FROM clause
  TableRefP fromList();
  TableRefP joined();
  TableRefP tablePrimary();
  QString optAlias();

  // --- SELECT
  SelectP select();
  SelectP simpleSelect();

 private:
  // Puts the nesting depth back to what it was when a loop that deepens it ends.
  class DepthRestore {
   public:
    explicit DepthRestore(int& depth) : depth_(depth), before_(depth) {}
    ~DepthRestore() { depth_ = before_; }
    DepthRestore(const DepthRestore&) = delete;
    DepthRestore& operator=(const DepthRestore&) = delete;

   private:
    int& depth_;
    int before_;
  };

  // One level of nesting while it is read.
  class Nest {
   public:
    explicit Nest(Parser& p, int levels = 1);
    ~Nest() { p_.depth_ -= levels_; }
    Nest(const Nest&) = delete;
    Nest& operator=(const Nest&) = delete;

   private:
    Parser& p_;
    int levels_;
  };

  QList<Token> t_;
  qsizetype p_ = 0;
  int depth_ = 0;
};

}  // namespace trb::db::dialect::detail
