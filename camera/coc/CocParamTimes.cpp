#include "camera/coc/CocParamTimes.h"

namespace lmv {

void coc_time_job::store(std::initializer_list<int32_t> values) {
    for (int32_t v : values)
        if (stored.size() < static_cast<size_t>(kCocMaxTimeValues)) stored.push_back(v);
}

void coc_time_job::store_end() {
    store({-1, -1});
}

void coc_time_job::keep_request() {
    text = p.text;
    stored = times.values();
}

}  // namespace lmv
