// The dock in Designer: what the widget box shows, and the pages as a container extension.
#include "dock_plugin.h"

#include <QDesignerFormEditorInterface>
#include <QExtensionManager>
#include <algorithm>

#include "tovdock/qt/dock_core.h"

namespace tov::qt::designer {

namespace {

const QString kClass = QStringLiteral("tov::qt::DockWidget");

}  // namespace

DockPlugin::DockPlugin(QObject* parent) : QObject(parent) {}

QString DockPlugin::name() const {
  return kClass;
}
QString DockPlugin::group() const {
  return QStringLiteral("Containers");
}
QString DockPlugin::toolTip() const {
  return QStringLiteral("TovDock: a stack of panes");
}
QString DockPlugin::whatsThis() const {
  return QStringLiteral(
      "A vertical stack of panes that the user collapses, resizes and reorders. Each page "
      "is a pane: its objectName is the pane's key, its windowTitle the pane's title.");
}
QString DockPlugin::includeFile() const {
  return QStringLiteral("tovdock/qt/dock_widget.h");
}
QIcon DockPlugin::icon() const {
  return {};
}
bool DockPlugin::isContainer() const {
  return true;
}
bool DockPlugin::isInitialized() const {
  return mInitialized;
}

QWidget* DockPlugin::createWidget(QWidget* parent) {
  auto* dock = new DockWidget(parent);
  if (mDesigner) {
    // A form being designed is no running application: the dock keeps no layout of its own.
    dock->setAutoSave(false);
    QtToolkit::setUserMode(coreDock(dock)->surface(), false);
  }
  return dock;
}

void DockPlugin::initialize(QDesignerFormEditorInterface* core) {
  if (mInitialized) return;
  mInitialized = true;
  // Designer hands in its form editor; QUiLoader, building a running application's form, none.
  QExtensionManager* manager = core ? core->extensionManager() : nullptr;
  mDesigner = manager != nullptr;
  if (manager)
    manager->registerExtensions(new DockContainerFactory(manager), Q_TYPEID(QDesignerContainerExtension));
}

QString DockPlugin::domXml() const {
  // uic and QUiLoader add each page through addPage.
  return QStringLiteral(R"(<ui language="c++">
 <widget class="tov::qt::DockWidget" name="dockWidget">
  <widget class="QWidget" name="page">
   <property name="windowTitle"><string>Page</string></property>
  </widget>
 </widget>
 <customwidgets>
  <customwidget>
   <class>tov::qt::DockWidget</class>
   <extends>QWidget</extends>
   <header>tovdock/qt/dock_widget.h</header>
   <container>1</container>
   <addpagemethod>addPage</addpagemethod>
  </customwidget>
 </customwidgets>
</ui>)");
}

// ---- DockContainer ----

DockContainer::DockContainer(DockWidget* dock, QObject* parent) : QObject(parent), mDock(dock) {}

void DockContainer::addWidget(QWidget* page) {
  if (mDock) mDock->addPage(page);
}

void DockContainer::insertWidget(int index, QWidget* page) {
  if (!mDock || !page) return;
  addWidget(page);
  const QList<Pane*> panes = mDock->panes();
  for (Pane* p : panes)
    if (p->widget() == page) mDock->movePane(p->key(), index);
}

int DockContainer::count() const {
  return mDock ? mDock->count() : 0;
}

int DockContainer::currentIndex() const {
  return count() > 0 ? std::clamp(mCurrent, 0, count() - 1) : -1;
}

void DockContainer::setCurrentIndex(int index) {
  mCurrent = index;
}

bool DockContainer::canRemove(int index) const {
  return index >= 0 && index < count();
}

void DockContainer::remove(int index) {
  // Designer keeps the page for undo: it is taken, not deleted.
  if (canRemove(index)) mDock->takeWidget(mDock->panes().at(index)->key());
}

QWidget* DockContainer::widget(int index) const {
  return canRemove(index) ? mDock->panes().at(index)->widget() : nullptr;
}

// ---- DockContainerFactory ----

QObject* DockContainerFactory::createExtension(QObject* object, const QString& iid, QObject* parent) const {
  auto* dock = qobject_cast<DockWidget*>(object);
  if (!dock || iid != Q_TYPEID(QDesignerContainerExtension)) return nullptr;
  return new DockContainer(dock, parent);
}

}  // namespace tov::qt::designer
