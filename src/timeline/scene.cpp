// (being written) the scene record.
#include "timeline/scene.h"

void CScene::timeUpdate() {}
template <typename T> T CScene::valuePosition(T start, T) { return start; }
template float CScene::valuePosition<float>(float, float);
template int CScene::valuePosition<int>(int, int);
void CScene::typeUpdate() {}
void CScene::objUpdate() {}
void CScene::imgUpdate() {}
bool CScene::isRunning() { return false; }
void CScene::copy(const CScene&) {}
