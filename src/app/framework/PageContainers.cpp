#include "app/framework/PageContainers.h"

qPageContainer::qPageContainer(const QString& title, const qResources::StateImages& pictures, int helpWidth,
                               int layoutStyle, QWidget* parent)
    : qPageTemplate(parent, helpWidth, false, layoutStyle), images(pictures)
{
    setTitle(title);
}

void qPageContainer::broadcastHook1()
{
    for (int i = 0; i < subPageCount(); ++i)
        subPage(i)->broadcastHook1();
}

void qPageContainer::broadcastHook2()
{
    for (int i = 0; i < subPageCount(); ++i)
        subPage(i)->broadcastHook2();
}

qBasicPageBase::qBasicPageBase(QWidget* parent)
    : qPageContainer(qResources::get().titleBasic, qResources::get().pageSetup, helpViewWidth, 19, parent)
{
}

qMainPageBase::qMainPageBase(QWidget* parent)
    : qPageContainer(qResources::get().titleView, qResources::get().pageParameters, 0, 17, parent)
{
}

qInfoPageBase::qInfoPageBase(QWidget* parent)
    : qPageContainer(qResources::get().titleInfo, qResources::get().pageInfo, 0, 25, parent)
{
}

qToolsPageBase::qToolsPageBase(QWidget* parent)
    : qPageContainer(qResources::get().titleTools, qResources::get().pageTools, 0, 23, parent)
{
}

qUpgradePageBase::qUpgradePageBase(QWidget* parent)
    : qPageContainer(qResources::get().titleUpgrade, qResources::get().pageUpgrade, 0, 25, parent)
{
}

qInternalPageBase::qInternalPageBase(QWidget* parent)
    : qPageContainer(qResources::get().titleInternal, qResources::get().pageInternal, 0, 27, parent)
{
}
