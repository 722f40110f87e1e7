#pragma once

namespace core {

// German formats come from the user's locale; a machine set to C or POSIX
// gets de_DE, as the program is German through and through.
void applyGermanLocaleDefault();

} // namespace core
