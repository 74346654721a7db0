// The Oracle release a database presents: parsing the configured text and the banners, version columns and
// compatible value Oracle shows for that release.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine::sysview {

inline constexpr const char* kDefaultVersion = "19.0.0.0.0";

// "19" -> "19.0.0.0.0", "11.2" -> "11.2.0.1.0" (a release's first patch set, as installed from its media),
// "8.1.7" -> "8.1.7.0.0"; a five-part text is kept. std::nullopt for anything else or a major release outside
// 7 to 23.
std::optional<std::string> normalizeVersion(std::string_view text);

int majorOf(const std::string& version);
int minorOf(const std::string& version);

// The first line of V$VERSION: "Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production",
// "Oracle9i Enterprise Edition Release 9.2.0.1.0 - Production", ...
std::string versionBanner(const std::string& version);
// Every row of V$VERSION's BANNER: the banner alone from 18 on, before it also PL/SQL, CORE, TNS and NLSRTL.
std::vector<std::string> versionBanners(const std::string& version);
// BANNER_FULL (18 on): the banner and, on a second line, the release update's version.
std::string versionBannerFull(const std::string& version);
// VERSION_FULL of V$INSTANCE: from 18 on the release update ("19.3.0.0.0"), before it the version itself.
std::string versionFull(const std::string& version);
// The default of the compatible parameter: "19.0.0" from 18 on, else the release itself.
std::string compatibleOf(const std::string& version);

} // namespace engine::sysview
