// The picture area at the left of a parameter dialog: one of the shipped
// drawings 920 .. 923, stretched over the area.
#pragma once

#include <QSvgRenderer>
#include <QWidget>

namespace vantor {

// The resource path of picture 920 .. 923.
QString GroupPicturePath(int picture);

class GroupPicture : public QWidget {
 public:
  GroupPicture(int picture, QWidget* parent);
  int Number() const { return number_; }
  bool Loaded() const { return renderer_.isValid(); }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  int number_;
  QSvgRenderer renderer_;
};

}  // namespace vantor
