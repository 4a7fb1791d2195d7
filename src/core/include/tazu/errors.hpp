// The core's failures, by kind. The module maps each kind to the exception a
// Python program would see for the same mistake (one translator, registered
// once); the messages are written for the user and pass through unchanged.
#pragma once

#include <stdexcept>

namespace tazu {

// A division by zero where the same arithmetic in Python raises
// ZeroDivisionError (a zero duration, scale or precision).
class DivisionByZero : public std::domain_error {
 public:
  using std::domain_error::domain_error;
};

// A value of the wrong kind, or one that is missing (TypeError).
class WrongKind : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// A value of the right kind that cannot be used (ValueError).
class BadValue : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// a / b, refusing b == 0 with DivisionByZero naming what was divided.
inline double divide(double a, double b, const char* what) {
  if (b == 0) throw DivisionByZero(what);
  return a / b;
}

}  // namespace tazu
