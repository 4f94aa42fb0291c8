#pragma once
// The program's own exception. Any exception that reaches the application's
// event dispatch is dropped there (written to standard error only), and the
// program carries on; with --debug it is shown in a message box instead.

#include <stdexcept>
#include <string>

namespace wobbin {

class AppException : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace wobbin
