// Fonts and painting need a QGuiApplication; tests make one on first use.
#pragma once

#include <QGuiApplication>

#include <cstdlib>

namespace vantor::testing {

inline void EnsureGuiApp() {
  if (QGuiApplication::instance() != nullptr) return;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "vantor-tests";
  static char* argv[] = {name, nullptr};
  new QGuiApplication(argc, argv);  // lives until the test program ends
}

}  // namespace vantor::testing
