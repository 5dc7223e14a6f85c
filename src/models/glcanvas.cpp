#include "models/glcanvas.h"

#ifdef _WIN32
#include <windows.h>
#endif
#include <GL/gl.h>
#include <GL/glu.h>

namespace kelmira {

static_assert(QuadricFill == GLU_FILL && QuadricLine == GLU_LINE && QuadricInside == GLU_INSIDE &&
              QuadricOutside == GLU_OUTSIDE && QuadricSmooth == GLU_SMOOTH);

namespace {

GLUquadric* toGlu(QuadricId q) {
    return reinterpret_cast<GLUquadric*>(q);
}

} // namespace

void GlCanvas::color(float r, float g, float b) {
    glColor3f(r, g, b);
}
void GlCanvas::lineWidth(float w) {
    glLineWidth(w);
}
void GlCanvas::pushMatrix() {
    glPushMatrix();
}
void GlCanvas::popMatrix() {
    glPopMatrix();
}
void GlCanvas::translate(float x, float y, float z) {
    glTranslatef(x, y, z);
}
void GlCanvas::rotate(float degrees, float x, float y, float z) {
    glRotatef(degrees, x, y, z);
}
void GlCanvas::scale(float x, float y, float z) {
    glScalef(x, y, z);
}

void GlCanvas::begin(Primitive p) {
    glBegin(p == Primitive::Lines ? GL_LINES : GL_QUADS);
}
void GlCanvas::vertex(float x, float y, float z) {
    glVertex3f(x, y, z);
}
void GlCanvas::end() {
    glEnd();
}

QuadricId GlCanvas::newQuadric() {
    return reinterpret_cast<QuadricId>(gluNewQuadric());
}

// GLU dereferences the quadric without a check, so a failed gluNewQuadric must not reach it.
void GlCanvas::deleteQuadric(QuadricId q) {
    if (q)
        gluDeleteQuadric(toGlu(q));
}

void GlCanvas::quadricDrawStyle(QuadricId q, int style) {
    if (q)
        gluQuadricDrawStyle(toGlu(q), GLenum(style));
}

void GlCanvas::quadricOrientation(QuadricId q, int orientation) {
    if (q)
        gluQuadricOrientation(toGlu(q), GLenum(orientation));
}

void GlCanvas::quadricNormals(QuadricId q, int normals) {
    if (q)
        gluQuadricNormals(toGlu(q), GLenum(normals));
}

void GlCanvas::cylinder(QuadricId q, double base, double top, double height, int slices,
                        int stacks) {
    if (q)
        gluCylinder(toGlu(q), base, top, height, slices, stacks);
}

void GlCanvas::disk(QuadricId q, double inner, double outer, int slices, int loops) {
    if (q)
        gluDisk(toGlu(q), inner, outer, slices, loops);
}

void GlCanvas::sphere(QuadricId q, double radius, int slices, int stacks) {
    if (q)
        gluSphere(toGlu(q), radius, slices, stacks);
}

} // namespace kelmira
