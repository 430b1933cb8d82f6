// .reg texts, whatever their bytes: parsed, applied to a tree per hive, written in the Unicode form
// and, when every name and value has a form there, the REGEDIT4 form, and each written text read
// again. What is read back is the tree that was written: the same keys, names, types and bytes.
#include <array>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "winport/RegistryFormat.h"

namespace {

namespace reg = winport::reg;
using winport::Hive;

constexpr std::array<Hive, 2> kHives = {Hive::CurrentUser, Hive::LocalMachine};

// Exact equality: stored names keep their case, values their order, type and bytes.
bool SameTree(const reg::Node& a, const reg::Node& b) {
    if (a.name != b.name || a.values != b.values || a.children.size() != b.children.size())
        return false;
    for (size_t k = 0; k < a.children.size(); ++k)
        if (!SameTree(*a.children[k], *b.children[k])) return false;
    return true;
}

void CheckReadBack(Hive hive, const reg::Node& written, const std::string& text, const char* form) {
    const reg::ParseResult parsed = reg::ParseRegText(text);
    if (!parsed.ok) fuzz::Fail(form);
    reg::Node back;
    for (const auto& op : parsed.ops) {
        if (op.hive != hive) fuzz::Fail("a written text names the other hive");
        reg::ApplyOp(back, op);
    }
    if (!SameTree(written, back)) fuzz::Fail(form);
}

void WriteAndReadBack(Hive hive, const reg::Node& root) {
    CheckReadBack(hive, root, reg::WriteRegFile(hive, root, {}),
                  "the Unicode text written does not read back as its tree");
    std::string error;
    const auto ansi = reg::WriteAnsiRegFile(hive, root, {}, reg::CodePage::Ansi1252(), error);
    if (ansi)
        CheckReadBack(hive, root, *ansi,
                      "the REGEDIT4 text written does not read back as its tree");
    else if (error.empty())
        fuzz::Fail("a REGEDIT4 text refused without a reason");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // REGEDIT4 texts without a byte-order mark are read in the code page the environment names;
    // the one written here is cp1252, the default.
    static const bool defaultCodePage = (::unsetenv(reg::kCodePageVariable), true);
    (void)defaultCodePage;
    const reg::ParseResult parsed =
        reg::ParseRegText(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!parsed.ok) {
        if (parsed.error.empty()) fuzz::Fail("a text refused without a reason");
        return 0;
    }
    std::array<reg::Node, 2> roots;
    for (const auto& op : parsed.ops) reg::ApplyOp(roots[op.hive == Hive::CurrentUser ? 0 : 1], op);
    for (size_t k = 0; k < kHives.size(); ++k) WriteAndReadBack(kHives[k], roots[k]);
    return 0;
}
