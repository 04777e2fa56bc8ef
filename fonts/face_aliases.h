#pragma once

#include <QString>

namespace quibrel {

// Makes `face`, a font that is not installed, another name of the installed family `family`: a request for
// `face` is then answered by `family` at once, where a substitution would first have the font configuration
// search every installed font for a fallback. False, and nothing changed, when `face` is installed itself,
// `family` is not, or the font database cannot take the name.
bool aliasFace(const QString &face, const QString &family);

} // namespace quibrel
