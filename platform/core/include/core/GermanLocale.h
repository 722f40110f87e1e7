#pragma once

class QCoreApplication;

namespace core {

// German formats come from the user's locale; a machine set to C or POSIX
// gets de_DE, as the program is German through and through.
void applyGermanLocaleDefault();

// Qt's own dialogs (file, colour and font choice, standard buttons) speak the
// program's language when Qt's translations are installed; without them they
// stay English, which is no reason not to start.
void installQtTranslation(QCoreApplication &app);

} // namespace core
