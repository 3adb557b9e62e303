#pragma once
#include <stdexcept>
#include <string>

namespace mx {

// An error that ends the command in progress. Its text is exactly what the user is shown; the
// main window's dispatch catches it and shows it in an error box.
class UserError : public std::runtime_error {
public:
    explicit UserError(const std::string& text) : std::runtime_error(text) {}
};

}  // namespace mx
