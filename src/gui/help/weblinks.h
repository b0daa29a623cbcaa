#pragma once

#include <QLatin1String>

// The product's web pages opened from the about box and the Help menu.
namespace weblinks {
inline constexpr QLatin1String ProductSite{"https://orvalle.example.org/"};
inline constexpr QLatin1String TechnicalSupport{"https://orvalle.example.org/support"};
inline constexpr QLatin1String CheckForUpdates{"https://orvalle.example.org/updates"};
} // namespace weblinks
