#include "app/dialogs/group_picture.h"

#include <QPainter>

// The drawings live in a static library, whose resource initialiser the
// linker would drop unless something refers to it.
static void InitDialogResources() { Q_INIT_RESOURCE(dialogs); }

namespace vantor {

QString GroupPicturePath(int picture) {
  static const bool once = (InitDialogResources(), true);
  (void)once;
  return QStringLiteral(":/pictures/%1.svg").arg(picture);
}

GroupPicture::GroupPicture(int picture, QWidget* parent)
    : QWidget(parent), number_(picture) {
  renderer_.load(GroupPicturePath(picture));
  setObjectName(QStringLiteral("888"));
  // The drawings are 3 by 4; the area keeps that shape so nothing is distorted.
  setFixedSize(108, 144);
  setAccessibleName(QStringLiteral("Picture"));
}

void GroupPicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  renderer_.render(&painter, QRectF(rect()));
}

}  // namespace vantor
