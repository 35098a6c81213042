#pragma once

#include <QLatin1StringView>

// Every section and value name of the settings store, in one place.
namespace SettingsKeys {
inline constexpr QLatin1StringView Settings{"Settings"};
inline constexpr QLatin1StringView FileToolbar{"File Toolbar"};
inline constexpr QLatin1StringView LoggerToolbar{"Logger Toolbar"};
inline constexpr QLatin1StringView WindowToolbar{"Window Toolbar"};
inline constexpr QLatin1StringView WindowSettings{"Window Settings"};
inline constexpr QLatin1StringView General{"General"};
inline constexpr QLatin1StringView Storms{"Storms"};

inline constexpr QLatin1StringView BucketFactor{"Bucket Factor"};
inline constexpr QLatin1StringView Logger{"Logger"};
inline constexpr QLatin1StringView PortNumber{"Port Number"};
inline constexpr QLatin1StringView Top{"Top"};
inline constexpr QLatin1StringView Left{"Left"};
inline constexpr QLatin1StringView Visible{"Visible"};
inline constexpr QLatin1StringView Width{"Width"};
inline constexpr QLatin1StringView Height{"Height"};
inline constexpr QLatin1StringView State{"State"};
inline constexpr QLatin1StringView ShowHelp{"ShowHelp"};
inline constexpr QLatin1StringView KeepDownloads{"Keep Downloads"};

inline constexpr QLatin1StringView Analysis{"Analysis"};
inline constexpr QLatin1StringView LeaveOutAcceptedFlags{"Leave Out Accepted Flags"};
// Storms: minutes without rain that separate two storms, and the energy equation (0 Brown-Foster,
// 1 McGregor, 2 USLE).
inline constexpr QLatin1StringView SeparationMinutes{"Separation Minutes"};
inline constexpr QLatin1StringView EnergyEquation{"Energy Equation"};
} // namespace SettingsKeys
