#include "motion/stages/CZRParameterMap.h"

CZRParameterMap::CZRParameterMap() {
    // Virtual calls from a constructor reach this class's fills, which is what every map needs.
    CZRParameterMap::FillNameTable();
    CZRParameterMap::FillDetailTable();
}

CZRParameterMap::~CZRParameterMap() = default;

std::vector<uint32_t> CZRParameterMap::ListIDs() const {
    std::vector<uint32_t> ids;
    ids.reserve(m_Names.size());
    for (const auto& entry : m_Names) ids.push_back(entry.first);
    return ids;
}

void CZRParameterMap::FillLongDescriptions() {
    for (auto& [id, detail] : m_Details) detail.longDescription = detail.shortDescription;
}

void CZRParameterMap::Filter(const Predicate& keep) {
    if (!keep) return;
    std::erase_if(m_Names, [&](const auto& entry) { return !keep(entry.first); });
    std::erase_if(m_Details, [&](const auto& entry) { return !keep(entry.first); });
}

int CZRParameterMap::Level(uint32_t id) const {
    const auto it = m_Details.find(id);
    return it == m_Details.end() ? -1 : it->second.level;
}

int CZRParameterMap::DataType(uint32_t id) const {
    const auto it = m_Details.find(id);
    return it == m_Details.end() ? -1 : it->second.dataType;
}

std::string CZRParameterMap::ShortDescription(uint32_t id) const {
    const auto it = m_Details.find(id);
    return it == m_Details.end() ? std::string() : it->second.shortDescription;
}

std::string CZRParameterMap::Name(uint32_t id) const {
    const auto it = m_Names.find(id);
    return it == m_Names.end() ? std::string() : it->second;
}

std::string CZRParameterMap::DetailName(uint32_t id) const {
    const auto it = m_Details.find(id);
    return it == m_Details.end() ? std::string() : it->second.name;
}
