#pragma once
// What SPA and SPA? do with one item, by the rule of its parameter (CorvaneParameterTable.h):
// the controller's parameter commands check and order the items, this class carries one out.
#include <string>

#include "ZR_Corvane_TAL.h"
#include "motion/stages/CorvaneParameterTable.h"

class CCorvaneController;

class CorvaneParameterActions {
  public:
    explicit CorvaneParameterActions(CCorvaneController& controller) : c_(controller) {}

    // Whether the board of axis has parameters of that kind.
    [[nodiscard]] bool BoardHas(int axis, ParameterBoards boards) const;
    // The value check of one item: the rule's range, the stored maximum velocity where the rule
    // names it, and every whole number the value becomes must fit an int.
    [[nodiscard]] bool ValueAllowed(int axis, const CorvaneParameterRule& rule, double value) const;

    // SPA of one item on the axis's (selected) board. name: the item's text line for ID 60.
    // While a macro is recorded the lines go into the macro and nothing stored changes.
    ZR_BOOL Set(int axis, const CorvaneParameterRule& rule, double value, const std::string& name);
    // SPA? of one item; the stage name (ID 60) is left to the caller.
    ZR_BOOL Get(int axis, const CorvaneParameterRule& rule, double* value);

  private:
    using Setter = ZR_BOOL (CorvaneParameterActions::*)(int, const CorvaneParameterRule&, double,
                                                        const std::string&);
    static Setter SetterFor(SetAction action);

    ZR_BOOL SetPlain(int axis, const CorvaneParameterRule& rule, double value, const std::string&);
    ZR_BOOL SetMaxVelocity(int axis, const CorvaneParameterRule& rule, double value,
                           const std::string&);
    ZR_BOOL SetAcceleration(int axis, const CorvaneParameterRule& rule, double value,
                            const std::string&);
    ZR_BOOL SetMaxAcceleration(int axis, const CorvaneParameterRule& rule, double value,
                               const std::string&);
    ZR_BOOL SetCountsPerUnit(int axis, const CorvaneParameterRule& rule, double value,
                             const std::string&);
    ZR_BOOL SetInvert(int axis, const CorvaneParameterRule& rule, double value, const std::string&);
    ZR_BOOL SetFactor(int axis, const CorvaneParameterRule& rule, double value, const std::string&);
    ZR_BOOL SetLimitLine(int axis, const CorvaneParameterRule& rule, double value,
                         const std::string&);
    ZR_BOOL SetLimitMode(int axis, const CorvaneParameterRule& rule, double value,
                         const std::string&);
    ZR_BOOL SetStageName(int axis, const CorvaneParameterRule& rule, double value,
                         const std::string& name);
    ZR_BOOL SetVelocity(int axis, const CorvaneParameterRule& rule, double value,
                        const std::string&);
    ZR_BOOL SetTrackballMode(int axis, const CorvaneParameterRule& rule, double value,
                             const std::string&);
    ZR_BOOL SetTrackballIncrement(int axis, const CorvaneParameterRule& rule, double value,
                                  const std::string&);
    ZR_BOOL RefuseReadOnly(int axis, const CorvaneParameterRule& rule, double value,
                           const std::string&);

    // The acceleration setter of IDs 11 and 74: not above the stored maximum (else
    // ZR_CNTR_VELOCITY_OUT_OF_LIMITS), "SA" with the counts, stored as current acceleration.
    ZR_BOOL ApplyAcceleration(int axis, double value);
    ZR_BOOL SendNumber(const char* command, int number);
    // TAL operations on the one axis, by its identifier.
    std::string AxisName(int axis) const;
    void Store(int axis, StoredField field, ValueForm form, double value);
    bool Recording() const;

    CCorvaneController& c_;
};
