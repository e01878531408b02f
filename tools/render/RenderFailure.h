#pragma once

#include <stdexcept>
#include <string>

// Ends a render: the message is the one line the user sees, naming the file and what is
// wrong with it.
class CRenderFailure : public std::runtime_error {
public:
    CRenderFailure(const std::string& file, const std::string& problem) : std::runtime_error(file + ": " + problem) {}
};
