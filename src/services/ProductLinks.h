#pragma once
// The product information and the maker's web addresses, with the parameters every link to the
// maker's site carries. The addresses are values of the build (src/services/CMakeLists.txt).

#include <string>
#include <string_view>

namespace services {

inline constexpr std::string_view kProductName = "Larkspire";
inline constexpr std::string_view kProductVersion = "2.3";
// The date and time of this release (days since 30 December 1899): 11 December 2013, 13:48:50.625.
inline constexpr double kReleaseTimestamp = 41619.5755859375;

// The maker's web site, without a trailing "/".
std::string companyAddress();
// The host that serves the versions file.
std::string updateHost();
std::string productPage();
std::string supportPage();
std::string subscribePage();
// The page offered when the versions file names none.
std::string fallbackDownloadPage();

// Letters, digits and * - . _ stay; every other byte becomes "%" and two lower-case hex digits.
std::string urlEncode(std::string_view text);

// Appends "application=", "ver=" and "source=" to the address's query.
std::string addLinkParameters(std::string_view address, std::string_view source);

// The uninstall page, as the command line opens it.
std::string uninstallPageAddress();

} // namespace services
