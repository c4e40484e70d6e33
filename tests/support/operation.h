// Shared by the operation tests: console capture, a scene set by hand, and the console text of one
// loading cycle.
#ifndef VINCA_TEST_OPERATION_H
#define VINCA_TEST_OPERATION_H

#include "app/app.h"
#include "common/common.h"
#include "support/gl_window.h"

#include "platform/platform.h"
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

std::string captured(const std::function<void()> &f); // what the program printed meanwhile
int runIdle(int n, std::string *out = nullptr);       // calls the installed idle function (<= n)
void resetScene(const std::vector<Point3> &blocks);   // crane at rest and free, default camera
std::string startOrder(int block); // as an accepted pick; returns the approach lines
bool atRest();
std::string stateText(); // pose, boomTip, flags, held, target, ready and blocks, to compare

// The block (-5, 0, 3) of tests/data/c_blocks.txt, clicked once, from the click to rest.
const char *const VIEW_KEYS = "22222222hhhh"; // camera keys that bring it well into view
const std::string ACCEPT = "\nEn camino a por el bloque seleccionado...\nPosicion bloque : -5, "
                           "\t0, \t3\nRecta1 : 3\t5\t-0\nRecta2 : -0.333333\t0.2\t-2.26667";
const std::string BUSY = "\nA\xfan en proceso de carga y descarga de un bloque..."
                         "\nPor favor, espere unos segundos...";
const std::string AIM = "\nPosicion ajustada!! el error es de -0.931742\nPosicion ajustada!! "
                        "el error es de 0.155774\nBajando la pinza...";
const std::string GRIP_TO_REST =
    "\nAjustada altura!! Listo para coger el bloque\nCerrando pinzas...\nBloque cogido..."
    "\nLlevando el bloque hasta el barco...\nExtendiendo cuerda...\nBloque descargado ..."
    "\nRecogiendo pinza...\nVolviendo a la posici\xf3n inicial...\nOperaci\xf3n completada ..."
    " Esperando nueva orden ;D";

#endif
