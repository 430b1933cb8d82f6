#pragma once
// The common shape of the exported functions that take a controller ID: look the controller up,
// and either call its operation of the same name with the remaining arguments, or, for an ID that
// names no controller, return the fallback without storing any error. No exception leaves the
// library: one that escapes an operation is logged and gives the fallback.
#include <exception>
#include <utility>

#include "motion/api/CCorvaneCollection.h"
#include "motion/base/ZRLog.h"
#include "motion/controller/CCorvaneController.h"

template <typename R, typename... Params, typename... Args>
R ForwardToController(const char* name, int id, R fallback,
                      R (CCorvaneController::*operation)(Params...), Args&&... args) {
    try {
        CCorvaneController* controller = CorvaneCollection().GetController(id);
        if (!controller) return fallback;
        return (controller->*operation)(std::forward<Args>(args)...);
    } catch (const std::exception& e) {
        ZR_LOG_ERROR("%s(%d) failed: %s", name, id, e.what());
    } catch (...) {
        ZR_LOG_ERROR("%s(%d) failed", name, id);
    }
    return fallback;
}

// An exported function's body for one that forwards to the operation of the same name.
#define ZR_FORWARD(op, id, ...) \
    ForwardToController("Corvane_" #op, (id), ZR_BOOL{0}, &CCorvaneController::op, __VA_ARGS__)
