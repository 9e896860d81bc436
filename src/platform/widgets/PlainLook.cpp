#include "platform/widgets/PlainLook.h"

#include <QApplication>
#include <QProxyStyle>

namespace {

class PlainButtonsStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

void PlainLook::Apply()
{
    if (!dynamic_cast<PlainButtonsStyle*>(QApplication::style()))
        QApplication::setStyle(new PlainButtonsStyle);
}
