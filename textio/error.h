// The base of every error the programs tell the user of: raised where it is seen and caught
// in main, which tells it on standard error and returns status 2.
#pragma once

#include <stdexcept>

namespace textio {

// An error the user is told of in one line, such as a bad argument: what() is that line.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace textio
