#pragma once
// Reaches the dock's private routines and elements, for tests and benchmarks that check a routine
// on its own.
#include "dock/dock_private.h"
#include "model/internals.h"

namespace tov {

struct DockTestAccess {
  explicit DockTestAccess(TovDock& dock) : d(TovDockPrivate::of(dock)) {}
  TovDockPrivate& d;

  void OrderBars(bool save) { d.OrderBars(save); }
  std::int16_t pCalcHeight(std::int16_t index) {
    std::int16_t partner = 0;
    d.pCalcHeight(index, partner);
    return partner;
  }
  void pPaint(std::int16_t index) { d.pPaint(index); }
  void pSaveSettings() { d.pSaveSettings(); }
  void pLoadSettings() { d.pLoadSettings(); }

  Panel& picDockBar(int i) { return *d.elements(i).picDockBar; }
  Panel& picTitel(int i) { return *d.elements(i).picTitel; }
  Panel& picSplit(int i) { return *d.elements(i).picSplit; }
  Label& lblTitel(int i) { return *d.elements(i).lblTitel; }
  Label& lblTitelRight(int i) { return *d.elements(i).lblTitelRight; }
  Image& imgIcon(int i) { return *d.elements(i).imgIcon; }
  Image& imgClose(int i) { return *d.elements(i).imgClose; }
  Image& imgCollapse(int i) { return *d.elements(i).imgCollapse; }
  Image& imgExpand(int i) { return *d.elements(i).imgExpand; }
  Image& imgOpt(int i) { return *d.elements(i).imgOpt; }
  bool loaded(int i) { return d.set(i) != nullptr; }
  int ubound() { return d.UBound(); }
  ScrollBar& VScroll() { return *d.VScroll; }
  std::int32_t dragSource() { return d.mDragSource; }
};

}  // namespace tov
