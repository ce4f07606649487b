#pragma once

#include <QString>

#include <exception>

// Base of every error the services throw: a human-readable description for log lines and for
// the pipeline's message mapping.
class QuilloError : public std::exception {
public:
    virtual QString description() const = 0;
    const char* what() const noexcept override { return "QuilloError"; }
};
