#pragma once
// DockWidget in Qt Designer: a container whose pages are its panes.
#include <QDesignerContainerExtension>
#include <QExtensionFactory>
#include <QPointer>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include "tovdock/qt/dock_widget.h"

namespace tov::qt::designer {

/// The dock in the widget box, made with one page; in Designer it saves no layout.
class DockPlugin : public QObject, public QDesignerCustomWidgetInterface {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetInterface")
  Q_INTERFACES(QDesignerCustomWidgetInterface)

 public:
  explicit DockPlugin(QObject* parent = nullptr);

  QString name() const override;
  QString group() const override;
  QString toolTip() const override;
  QString whatsThis() const override;
  QString includeFile() const override;
  QIcon icon() const override;
  bool isContainer() const override;
  QWidget* createWidget(QWidget* parent) override;
  bool isInitialized() const override;
  void initialize(QDesignerFormEditorInterface* core) override;
  QString domXml() const override;

 private:
  bool mInitialized = false;
  bool mDesigner = false;
};

/// The pages of a designed dock, in display order: Designer adds, inserts, removes and shows them.
class DockContainer : public QObject, public QDesignerContainerExtension {
  Q_OBJECT
  Q_INTERFACES(QDesignerContainerExtension)

 public:
  DockContainer(DockWidget* dock, QObject* parent);

  bool canAddWidget() const override { return true; }
  void addWidget(QWidget* page) override;
  int count() const override;
  int currentIndex() const override;
  void insertWidget(int index, QWidget* page) override;
  bool canRemove(int index) const override;
  void remove(int index) override;
  void setCurrentIndex(int index) override;
  QWidget* widget(int index) const override;

 private:
  QPointer<DockWidget> mDock;
  int mCurrent = 0;
};

/// Makes the container extension of each designed dock.
class DockContainerFactory : public QExtensionFactory {
  Q_OBJECT

 public:
  using QExtensionFactory::QExtensionFactory;

 protected:
  QObject* createExtension(QObject* object, const QString& iid, QObject* parent) const override;
};

}  // namespace tov::qt::designer
