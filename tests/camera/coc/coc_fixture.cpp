#include "coc_fixture.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "camera/board/BoardLimits.h"

namespace coc_test {

lmv::board_record default_record() {
    lmv::board_record rec{};
    lmv::write_record_defaults(rec, 0);
    rec.timevalues[1] = 10;
    return rec;
}

namespace {

void set_field(lmv::board_record& rec, const std::string& field, std::istringstream& in) {
    if (field == "timevalues") {
        int i = 0;
        for (int v; in >> v && i < 400;) rec.timevalues[i++] = v;
        return;
    }
    int32_t value = 0;
    if (!(in >> value)) throw std::runtime_error("no value for " + field);
    struct named {
        const char* name;
        int32_t lmv::board_record::*member;
    };
    static const named kFields[] = {
        {"camera_typ", &lmv::board_record::camera_typ},
        {"ccd_typ", &lmv::board_record::ccd_typ},
        {"ccd_width", &lmv::board_record::ccd_width},
        {"ccd_height", &lmv::board_record::ccd_height},
        {"submode", &lmv::board_record::submode},
        {"roixmin", &lmv::board_record::roixmin},
        {"roixmax", &lmv::board_record::roixmax},
        {"roiymin", &lmv::board_record::roiymin},
        {"roiymax", &lmv::board_record::roiymax},
        {"vbin", &lmv::board_record::vbin},
        {"hbin", &lmv::board_record::hbin},
        {"trigger", &lmv::board_record::trigger},
        {"status_extra", &lmv::board_record::status_extra},
        {"powerdown_lo", &lmv::board_record::powerdown_lo},
        {"powerdown_hi", &lmv::board_record::powerdown_hi},
        {"exp_min", &lmv::board_record::exp_min},
        {"exp_max", &lmv::board_record::exp_max},
        {"gain_index", &lmv::board_record::gain_index},
        {"delay_max", &lmv::board_record::delay_max},
        {"line_count", &lmv::board_record::line_count},
        {"blacklines", &lmv::board_record::blacklines},
    };
    for (const auto& f : kFields) {
        if (field == f.name) {
            rec.*f.member = value;
            return;
        }
    }
    throw std::runtime_error("unknown field " + field);
}

}  // namespace

std::vector<uint16_t> expand_words(const std::string& text) {
    std::vector<uint16_t> out;
    size_t i = 0;
    auto skip = [&] {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    };
    auto number = [&] {
        size_t end = i;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
        if (end == i) throw std::runtime_error("bad word list: " + text);
        const long v = std::stol(text.substr(i, end - i));
        i = end;
        return v;
    };
    for (skip(); i < text.size(); skip()) {
        const long first = number();
        if (i < text.size() && text[i] == 'x') {
            ++i;
            std::vector<uint16_t> unit;
            if (i < text.size() && text[i] == '(') {
                const size_t close = text.find(')', i);
                if (close == std::string::npos) throw std::runtime_error("no ) in " + text);
                unit = expand_words(text.substr(i + 1, close - i - 1));
                i = close + 1;
            } else {
                unit.push_back(static_cast<uint16_t>(number()));
            }
            for (long r = 0; r < first; ++r) out.insert(out.end(), unit.begin(), unit.end());
        } else {
            out.push_back(static_cast<uint16_t>(first));
        }
    }
    return out;
}

double eval_time(const std::string& expr, double T, double S, double E) {
    std::string s;
    std::copy_if(expr.begin(), expr.end(), std::back_inserter(s),
                 [](char c) { return !std::isspace(static_cast<unsigned char>(c)); });
    double total = 0;
    size_t i = 0;
    while (i < s.size()) {
        double sign = 1;
        if (s[i] == '+' || s[i] == '-') {
            sign = s[i] == '-' ? -1 : 1;
            ++i;
        }
        size_t end = i;
        while (end < s.size() &&
               (std::isdigit(static_cast<unsigned char>(s[end])) || s[end] == '.'))
            ++end;
        double coefficient = end > i ? std::stod(s.substr(i, end - i)) : 1.0;
        const bool has_number = end > i;
        i = end;
        double unit = 1.0;
        if (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i]))) {
            switch (s[i]) {
                case 'T':
                    unit = T;
                    break;
                case 'S':
                    unit = S;
                    break;
                case 'E':
                    unit = E;
                    break;
                case 'B':
                    unit = 1024 * T;
                    break;
                default:
                    throw std::runtime_error("bad time expression: " + expr);
            }
            ++i;
        } else if (!has_number) {
            throw std::runtime_error("bad time expression: " + expr);
        }
        total += sign * coefficient * unit;
    }
    return total;
}

fixture load_fixture(const std::filesystem::path& file) {
    std::ifstream in(file);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    fixture f;
    f.name = file.stem().string();
    f.rec = default_record();
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream ls(line);
        std::string key;
        ls >> key;
        std::string rest;
        std::getline(ls, rest);
        std::istringstream rs(rest);
        if (key == "set") {
            std::string field;
            rs >> field;
            set_field(f.rec, field, rs);
        } else if (key == "constants") {
            for (std::string kv; rs >> kv;) {
                const double v = std::stod(kv.substr(2));
                if (kv[0] == 'T') f.T = static_cast<float>(v);
                if (kv[0] == 'S') f.S = static_cast<float>(v);
                if (kv[0] == 'E') f.E = static_cast<float>(v);
            }
        } else if (key == "result") {
            rs >> f.result;
        } else if (key == "words") {
            const auto w = expand_words(rest);
            f.words.insert(f.words.end(), w.begin(), w.end());
        } else if (key == "coctime") {
            f.coctime = rest, f.has_times = true;
        } else if (key == "beltime") {
            f.beltime = rest, f.has_times = true;
        } else if (key == "exptime") {
            f.exptime = rest, f.has_times = true;
        } else if (key == "deltime") {
            f.deltime = rest, f.has_times = true;
        } else {
            throw std::runtime_error("unknown key " + key + " in " + file.string());
        }
    }
    return f;
}

std::vector<std::filesystem::path> fixture_files() {
    std::vector<std::filesystem::path> files;
    const std::filesystem::path dir =
        std::filesystem::path(ZR_SOURCE_DIR) / "tests/camera/coc/fixtures";
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() == ".coc") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace coc_test
