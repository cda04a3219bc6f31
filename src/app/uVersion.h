// The product's name, version and contact, shown in the About window and
// written into the settings file.
#pragma once

inline constexpr const char* ProductName = "Bivoxa OEM";
inline constexpr const char* ProductVersion = "2009.1.0a";
inline constexpr const char* RightsNotice = "\u00A9 Marvessa, zespół Bivoxa";
inline constexpr const char* ContactAddress = "bivoxa@marvessa.example";
