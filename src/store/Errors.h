#pragma once

#include "base/Errors.h"

namespace velmora {

// An error of the database engine: carries SQLite's text, prefixed with what
// the system was doing (the table or statement involved).
class EngineError : public VelmoraError {
public:
    explicit EngineError(const QString &message) : VelmoraError(message) {}
};

} // namespace velmora
