// The process's text follows the system's own language and code page.
#ifndef TARN_PROCESS_LOCALE_H
#define TARN_PROCESS_LOCALE_H

namespace tarn {

// Windows: the thread locale becomes the system default locale. Linux: the
// C library takes the locale from the environment.
void useSystemLocale();

}  // namespace tarn

#endif
