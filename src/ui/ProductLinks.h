#pragma once
// The maker's web addresses and the parameters every link to them carries.

#include <string>
#include <string_view>

namespace ui {

inline constexpr std::string_view kProductName = "Larkspire";
inline constexpr std::string_view kProductVersion = "2.3";
// The maker's web site, without a trailing "/".
inline constexpr std::string_view kCompanyAddress = "https://www.quenby-software.example";

// Letters, digits and * - . _ stay; every other byte becomes "%" and two lower-case hex digits.
std::string urlEncode(std::string_view text);

// Appends "application=", "ver=" and "source=" to the address's query.
std::string addLinkParameters(std::string_view address, std::string_view source);

// The uninstall page, as the command line opens it.
std::string uninstallPageAddress();

} // namespace ui
