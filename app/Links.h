#pragma once

#include <QLatin1StringView>

// The maker's addresses, in one place: "Check version" and the start-up screen's links.
namespace Links {
inline constexpr QLatin1StringView WebSite{"https://www.pluvatec.example/ombrex"};
inline constexpr QLatin1StringView WebSiteText{"www.pluvatec.example"};
inline constexpr QLatin1StringView SupportMail{"support@pluvatec.example"};
} // namespace Links
