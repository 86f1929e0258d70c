// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

namespace km {

enum class ErrorKind {
  TypeMismatch,
  SubscriptOutOfRange,
  DivisionByZero,
  Overflow,
  InvalidProcedureCall,
};

// A run-time error of the model: what went wrong, in words a user can read.
class RunError : public std::runtime_error {
 public:
  RunError(ErrorKind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
  ErrorKind kind() const { return kind_; }

 private:
  ErrorKind kind_;
};

// The same error with where it happened added, e.g. "(particle 7)".
inline RunError withPlace(const RunError& e, const std::string& where) {
  return RunError(e.kind(), std::string(e.what()) + " (" + where + ")");
}

// Short name of an error kind, e.g. "Division by zero".
const char* errorKindName(ErrorKind kind);

}  // namespace km
