#pragma once

#include <QIcon>

#include <cstdint>

// Pictures of the toolbar buttons, speed buttons and menu items, drawn once at start-up.
namespace kelmira::icons {

QIcon newBoard();
QIcon open();
QIcon save();
QIcon saveImage();
QIcon screenshot();
QIcon clear();
QIcon settings();
QIcon help();
QIcon about();
QIcon exit();
QIcon undo();
QIcon redo();
QIcon build();
QIcon remove();
QIcon pick();
QIcon windowColor();
QIcon viewStandard();
QIcon viewFront();
QIcon viewTop();
QIcon viewSide();
QIcon view3d();
QIcon zoomIn();
QIcon zoomOut();
QIcon raise();
QIcon lower();
QIcon left();
QIcon right();
QIcon forward();
QIcon back();
QIcon turnLeft();
QIcon turnRight();
// The picture of a component kind for the "Компоненты" menu: the component's own model
// rendered small when GL is available, a drawn badge otherwise.
QIcon component(int32_t kind);
// Installs rendered model pictures for the component menu (kind -> picture).
void setComponentPicture(int32_t kind, const QImage& picture);
// Renders every catalog kind's model into its menu picture, once per run; later calls reuse
// the pictures. Without GL the drawn badges stay.
void renderComponentPictures();

} // namespace kelmira::icons
