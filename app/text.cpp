// Drawing text with GLUT's stroke fonts.
#include "app/text.h"

#include <GL/freeglut.h>

void drawText(float x, float y, float scale, const char* text, int mode)
{
    if (!text) return;
    glPushMatrix();
    {
        glTranslatef(x, y, 0.0f);
        // The negative y scale keeps glyphs upright under the HUD's downward y axis.
        glScalef(scale, -scale, 1.0f);
        for (const char* c = text; *c; ++c) {
            const int ch = static_cast<unsigned char>(*c);
            if (mode == 0) {
                glutStrokeCharacter(GLUT_STROKE_ROMAN, ch);
            } else if (mode == 1) {
                glutStrokeCharacter(GLUT_STROKE_ROMAN, ch);
                glTranslatef(-static_cast<float>(glutStrokeWidth(GLUT_STROKE_MONO_ROMAN, ch)),
                             -125.0f, 0.0f);
            }
        }
    }
    glPopMatrix();
}
