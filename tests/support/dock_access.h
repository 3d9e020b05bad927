#pragma once
// Reaches the dock's private routines and elements, for tests and benchmarks that check a routine
// on its own.
#include "dock/dock_internal.h"

namespace tov {

struct DockTestAccess {
  explicit DockTestAccess(TovDock& dock) : d(dock) {}
  TovDock& d;

  void OrderBars(bool save) { d.OrderBars(save); }
  std::int32_t pResizeHeight() { return d.pResizeHeight(); }
  void pResizeWidth(std::int32_t w) { d.pResizeWidth(w); }
  void pSetHeightMax() { d.pSetHeightMax(); }
  void pAutoSize() { d.pAutoSize(); }
  std::int16_t pCalcHeight(std::int16_t index) {
    std::int16_t partner = 0;
    d.pCalcHeight(index, partner);
    return partner;
  }
  void pResizeBar(std::int16_t index) { d.pResizeBar(index); }
  void pBarChanged(std::int16_t index) { d.pBarChanged(index); }
  void pPaint(std::int16_t index) { d.pPaint(index); }
  void pArrangeTitle(std::int32_t index) { d.pArrangeTitle(index); }
  void pLoadColors() { d.pLoadColors(); }
  void pSaveSettings() { d.pSaveSettings(); }
  void pLoadSettings() { d.pLoadSettings(); }
  void pPlaceControl(std::int16_t index) { d.pPlaceControl(index); }

  Panel& picDockBar(int i) { return (*d.picDockBar)(i); }
  Panel& picTitel(int i) { return (*d.picTitel)(i); }
  Panel& picSplit(int i) { return (*d.picSplit)(i); }
  Label& lblTitel(int i) { return (*d.lblTitel)(i); }
  Label& lblTitelRight(int i) { return (*d.lblTitelRight)(i); }
  Image& imgIcon(int i) { return (*d.imgIcon)(i); }
  Image& imgClose(int i) { return (*d.imgClose)(i); }
  Image& imgCollapse(int i) { return (*d.imgCollapse)(i); }
  Image& imgExpand(int i) { return (*d.imgExpand)(i); }
  Image& imgOpt(int i) { return (*d.imgOpt)(i); }
  Line& lineSplit(int k, int i) {
    return k == 0 ? (*d.lineSplit0)(i) : k == 1 ? (*d.lineSplit1)(i) : (*d.lineSplit2)(i);
  }
  bool loaded(int i) { return d.picDockBar->exists(i); }
  int ubound() { return d.picDockBar->UBound(); }
  ScrollBar& VScroll() { return *d.VScroll; }
  Image& imgHand() { return *d.imgHand; }
  std::int32_t dragSource() { return d.mDragSource; }
  bool& loading() { return d.mLoading; }
};

}  // namespace tov
