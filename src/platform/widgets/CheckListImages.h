#pragma once

#include "platform/widgets/ImageList.h"

// `ilsCheckList` of an assignment window: two 14 x 14 pictures, index 1 a ticked box, index 2 an
// empty box, drawn as our own art and crisp on high-dpi screens.
class CheckListImages : public ImageList
{
    Q_OBJECT

public:
    static constexpr int Ticked = 1;
    static constexpr int Empty = 2;

    explicit CheckListImages(QObject* parent = nullptr);
};
