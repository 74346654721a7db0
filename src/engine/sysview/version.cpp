// Releases and their banners.
#include "engine/sysview/version.h"

#include <charconv>

namespace engine::sysview {

namespace {

std::vector<int> partsOf(std::string_view text)
{
    std::vector<int> parts;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t dot = text.find('.', pos);
        std::string_view piece = text.substr(pos, dot == std::string_view::npos ? std::string_view::npos : dot - pos);
        int v = 0;
        auto [end, ec] = std::from_chars(piece.data(), piece.data() + piece.size(), v);
        if (piece.empty() || piece.size() > 3 || ec != std::errc() || end != piece.data() + piece.size())
            return {};
        parts.push_back(v);
        if (dot == std::string_view::npos)
            break;
        pos = dot + 1;
    }
    return parts;
}

std::string join(const std::vector<int>& parts)
{
    std::string r;
    for (size_t i = 0; i < parts.size(); ++i)
        r += (i ? "." : "") + std::to_string(parts[i]);
    return r;
}

} // namespace

std::optional<std::string> normalizeVersion(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    std::vector<int> parts = partsOf(text);
    if (parts.empty() || parts.size() > 5 || parts[0] < 7 || parts[0] > 23)
        return std::nullopt;
    if (parts.size() == 2 && parts[0] < 18) {
        parts.push_back(0);
        parts.push_back(1);
    }
    while (parts.size() < 5)
        parts.push_back(0);
    return join(parts);
}

int majorOf(const std::string& version)
{
    std::vector<int> p = partsOf(version);
    return p.empty() ? 0 : p[0];
}

int minorOf(const std::string& version)
{
    std::vector<int> p = partsOf(version);
    return p.size() < 2 ? 0 : p[1];
}

std::string versionBanner(const std::string& version)
{
    int major = majorOf(version);
    std::string product;
    if (major <= 8)
        product = minorOf(version) >= 1 ? "Oracle8i" : "Oracle8";
    else if (major == 9)
        product = "Oracle9i";
    else if (major <= 11)
        product = "Oracle Database " + std::to_string(major) + "g";
    else if (major <= 21)
        product = "Oracle Database " + std::to_string(major) + "c";
    else
        product = "Oracle Database " + std::to_string(major) + "ai";
    return product + " Enterprise Edition Release " + version + " - Production";
}

std::vector<std::string> versionBanners(const std::string& version)
{
    std::vector<std::string> rows { versionBanner(version) };
    if (majorOf(version) >= 18)
        return rows;
    rows.push_back("PL/SQL Release " + version + " - Production");
    rows.push_back("CORE\t" + version + "\tProduction");
    rows.push_back("TNS for Linux: Version " + version + " - Production");
    rows.push_back("NLSRTL Version " + version + " - Production");
    return rows;
}

std::string versionFull(const std::string& version)
{
    std::vector<int> p = partsOf(version);
    if (p.size() == 5 && p[0] >= 18 && p[1] == 0)
        p[1] = 3;
    return join(p);
}

std::string versionBannerFull(const std::string& version)
{
    return versionBanner(version) + "\nVersion " + versionFull(version);
}

std::string compatibleOf(const std::string& version)
{
    if (majorOf(version) >= 18)
        return std::to_string(majorOf(version)) + ".0.0";
    return version;
}

} // namespace engine::sysview
