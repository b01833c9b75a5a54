#pragma once

#include <optional>

#include "velmiro/calc.h"

// Runs f and returns the kind of CalcError it threw, or nothing.
template <typename F>
std::optional<velmiro::CalcErrorKind> failureOf(F&& f) {
    try {
        f();
    } catch (const velmiro::CalcError& e) {
        return e.kind();
    }
    return std::nullopt;
}
