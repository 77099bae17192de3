#pragma once
// One page container per main-window tab. Each is a page template whose enter,
// leave and broadcast hooks reach its sub-pages; the sub-pages themselves are
// added by whoever builds the window (addTabPage).
#include "app/framework/qPageTemplate.h"
#include "app/framework/qResources.h"

class qPageContainer : public qPageTemplate {
    Q_OBJECT
public:
    qPageContainer(const QString& title, const qResources::StateImages& images, int helpWidth, int layoutStyle,
                   QWidget* parent = nullptr);

    // The page-button pictures of this container (pressed = current page).
    const qResources::StateImages& pageImages() const { return images; }

    void broadcastHook1() override;
    void broadcastHook2() override;

private:
    qResources::StateImages images;
};

class qBasicPageBase : public qPageContainer {
    Q_OBJECT
public:
    static constexpr int helpViewWidth = 240;
    explicit qBasicPageBase(QWidget* parent = nullptr);
};

class qMainPageBase : public qPageContainer {
    Q_OBJECT
public:
    explicit qMainPageBase(QWidget* parent = nullptr);
};

class qInfoPageBase : public qPageContainer {
    Q_OBJECT
public:
    explicit qInfoPageBase(QWidget* parent = nullptr);
};

class qToolsPageBase : public qPageContainer {
    Q_OBJECT
public:
    explicit qToolsPageBase(QWidget* parent = nullptr);
};

class qUpgradePageBase : public qPageContainer {
    Q_OBJECT
public:
    explicit qUpgradePageBase(QWidget* parent = nullptr);
};

class qInternalPageBase : public qPageContainer {
    Q_OBJECT
public:
    explicit qInternalPageBase(QWidget* parent = nullptr);
};
