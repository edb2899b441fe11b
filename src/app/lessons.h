// The lessons: a parameter file in the data folder's lessons/, its stimulus
// beside it where the lesson needs one (NAME.vtp), and a page of tasks and
// questions in the help, opened together from Help > Lessons.
#pragma once

#include <QString>

#include <span>

namespace vantor::app {

struct Lesson {
  const char* file;   // "resting-ghk.vt4", in lessons/
  const char* title;  // as the list shows it
  int helpTopic;      // the page's context number in the help
};

std::span<const Lesson> Lessons();

// The lessons folder under the data directory, when it exists.
QString LessonsDirectory(const QString& dataDir);

}  // namespace vantor::app
