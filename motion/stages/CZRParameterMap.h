#pragma once
// The map of TAL parameter IDs. Two ordered tables keyed by ID: the names of the parameters and,
// for the parameters described in detail, a short description, a level and a data type. HPA? and
// SPA? build a map, filter it down to the IDs the boards support and discard it.
//
// The name table holds the names of every ID that has a detail entry (77 IDs): the filter removes
// all IDs the Corvane boards do not support before anything is written, so the names of the rest
// of the controller family would never be seen. The detail entries of IDs the boards do not
// support carry generic names and descriptions of our own; the supported ones carry their names
// and descriptions word for word, "ration" included.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

// Data types of detail entries.
inline constexpr int kParameterTypeFloat = 1;
inline constexpr int kParameterTypeChar = 2;
inline constexpr int kParameterTypeInt = 4;

struct ZRParameterDetail {
    std::string name;
    std::string shortDescription;
    int level = 0;
    int dataType = kParameterTypeFloat;
    int reserved1 = 0;  // carried with the entry, read by no output
    int reserved2 = 0;
    std::string longDescription;  // filled by FillLongDescriptions; read by no output
};

class CZRParameterMap {
  public:
    using Predicate = std::function<bool(uint32_t id)>;

    // Fills the name and detail tables (this class's fill operations).
    CZRParameterMap();
    virtual ~CZRParameterMap();
    CZRParameterMap(const CZRParameterMap&) = default;
    CZRParameterMap& operator=(const CZRParameterMap&) = default;

    // The IDs of the name table in ascending order.
    [[nodiscard]] virtual std::vector<uint32_t> ListIDs() const;
    virtual void FillNameTable();
    virtual void FillDetailTable();
    // Long descriptions of the detail entries; nothing in this library reads them.
    virtual void FillLongDescriptions();

    // Erases from both tables every ID for which keep is false.
    void Filter(const Predicate& keep);
    // -1 for an ID without detail entry.
    [[nodiscard]] int Level(uint32_t id) const;
    [[nodiscard]] int DataType(uint32_t id) const;
    // Empty for an ID without entry.
    [[nodiscard]] std::string ShortDescription(uint32_t id) const;
    [[nodiscard]] std::string Name(uint32_t id) const;
    [[nodiscard]] std::string DetailName(uint32_t id) const;
    [[nodiscard]] std::size_t DetailCount() const { return m_Details.size(); }

  protected:
    std::map<uint32_t, std::string> m_Names;
    std::map<uint32_t, ZRParameterDetail> m_Details;
};
