#pragma once
// Builds ZIP packages in memory for tests and benchmarks: minimal workbooks and hostile ones.

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>
#include <zip.h>

namespace testing_support {

// Entries by name, deflated; with a password every entry is also encrypted.
struct PackageWriter {
    std::vector<std::pair<std::string, std::string>> entries;
    std::string password;

    PackageWriter& add(std::string name, std::string content) {
        entries.emplace_back(std::move(name), std::move(content));
        return *this;
    }

    std::vector<std::uint8_t> bytes() const {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
        if (!buffer)
            throw std::runtime_error("zip_source_buffer_create");
        zip_source_keep(buffer);
        zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
        if (!archive)
            throw std::runtime_error("zip_open_from_source");
        for (const auto& [name, content] : entries) {
            zip_source_t* data = zip_source_buffer(archive, content.data(), content.size(), 0);
            const zip_int64_t index =
                data ? zip_file_add(archive, name.c_str(), data, ZIP_FL_OVERWRITE) : -1;
            if (index < 0)
                throw std::runtime_error("zip_file_add");
            if (!password.empty() &&
                zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256,
                                        password.c_str()) < 0)
                throw std::runtime_error("zip_file_set_encryption");
        }
        if (zip_close(archive) < 0)
            throw std::runtime_error("zip_close");
        std::vector<std::uint8_t> result;
        zip_stat_t info;
        if (zip_source_stat(buffer, &info) == 0 && zip_source_open(buffer) == 0) {
            result.resize(info.size);
            const zip_int64_t got = zip_source_read(buffer, result.data(), info.size);
            result.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
            zip_source_close(buffer);
        }
        zip_source_free(buffer);
        zip_error_fini(&error);
        return result;
    }
};

inline constexpr const char* mainNs =
    "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
inline constexpr const char* relTypes = "http://schemas.openxmlformats.org/officeDocument/2006/"
                                        "relationships/";

inline std::string
relationshipsXml(const std::vector<std::tuple<std::string, std::string, std::string>>& rels) {
    std::string xml = "<?xml version=\"1.0\"?><Relationships "
                      "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (const auto& [id, type, target] : rels) {
        xml += "<Relationship Id=\"" + id + "\" Type=\"";
        xml += type.find("://") == std::string::npos ? relTypes + type : type;
        xml += "\" Target=\"" + target + "\"";
        if (target.find("://") != std::string::npos || target.rfind("mailto:", 0) == 0)
            xml += " TargetMode=\"External\"";
        xml += "/>";
    }
    return xml + "</Relationships>";
}

// A workbook with one worksheet per entry of `sheetBodies` (the XML inside <worksheet>), named
// Sheet1, Sheet2 ...; `extra` parts are added as given.
inline PackageWriter minimalWorkbook(const std::vector<std::string>& sheetBodies,
                                     const std::string& sharedStrings = {},
                                     const std::string& styles = {}) {
    PackageWriter package;
    package.add("_rels/.rels", relationshipsXml({{"rId1", "officeDocument", "xl/workbook.xml"}}));
    std::string sheets;
    std::vector<std::tuple<std::string, std::string, std::string>> rels;
    for (std::size_t i = 0; i < sheetBodies.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        sheets += "<sheet name=\"Sheet" + n + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        rels.emplace_back("rId" + n, "worksheet", "worksheets/sheet" + n + ".xml");
        package.add("xl/worksheets/sheet" + n + ".xml",
                    std::string("<worksheet ") + mainNs + ">" + sheetBodies[i] + "</worksheet>");
    }
    if (!sharedStrings.empty()) {
        rels.emplace_back("rIdS", "sharedStrings", "sharedStrings.xml");
        package.add("xl/sharedStrings.xml",
                    std::string("<sst ") + mainNs + ">" + sharedStrings + "</sst>");
    }
    if (!styles.empty()) {
        rels.emplace_back("rIdT", "styles", "styles.xml");
        package.add("xl/styles.xml",
                    std::string("<styleSheet ") + mainNs + ">" + styles + "</styleSheet>");
    }
    package.add("xl/workbook.xml",
                std::string("<workbook ") + mainNs + "><sheets>" + sheets + "</sheets></workbook>");
    package.add("xl/_rels/workbook.xml.rels", relationshipsXml(rels));
    return package;
}

} // namespace testing_support
