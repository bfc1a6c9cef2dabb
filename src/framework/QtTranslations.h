#pragma once
// Qt's own texts (the file chooser and its questions, standard buttons, the
// edit menus of text fields) in Japanese: this is a Japanese program whatever
// the locale of the machine.

// Loads and installs them once; false when Qt's Japanese translation is not
// installed (the texts then stay English).
bool installJapaneseQtTranslations();
