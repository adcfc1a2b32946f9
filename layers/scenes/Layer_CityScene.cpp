#include "layers/scenes/Layer_CityScene.h"

#include "base/PortableMath.h"
#include "gl/GL_Texture.h"
#include "gl/GL_TextureManager.h"
#include "gl/Random.h"
#include "gl/RandomVector.h"
#include "gl/ScenePi.h"
#include "layers/scenes/Layer_Liquid.h"
#include "sync/SyncData.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace qelFramework {

namespace {

// Mirrors the town in x and darkens it with distance: nothing beyond the fog distance
// is lit.
const char* const kCityVertexSource =
    "uniform float fogDistance;\n"
    "varying float depth;\n"
    "void main()\n"
    "{\n"
    "\tvec4 vertex = gl_Vertex * vec4(-1.0, 1.0, 1.0, 1.0);\n"
    "\tgl_TexCoord[0] = gl_MultiTexCoord0;\n"
    "\tdepth = 1.0 - clamp(length(gl_ModelViewMatrix * vertex) / (fogDistance + 1.0), 0.0, 1.0);\n"
    "\tgl_Position = gl_ModelViewProjectionMatrix * vertex;\n"
    "}\n";

const char* const kCityFragmentSource =
    "uniform sampler2D base;\n"
    "varying float depth;\n"
    "void main()\n"
    "{\n"
    "\tgl_FragColor = texture2D(base, gl_TexCoord[0].st) * depth;\n"
    "}\n";

const char* const kPartNames[] = {
    "1stdoor",     "2nddoor", "bottom-windows-left", "direction-sign",  "hangingsign",     "left-house",
    "littlewall",  "right-house", "sign-advert",     "street",          "top-windows-left", "walkway",
    "windows-right", "wimpel", "chimney",            "left-roof",       "rooflip",
};
constexpr int kPartCount = 17;
constexpr int kWalkway = 11;     // its texture is an occlusion map
constexpr int kFirstRoofPart = 14; // chimney, left roof and roof lip stay when the trail reaches the top

Vector3 normalised(const Vector3& v) {
    float length = vectorLength(v);
    return length > 0.0f ? Vector3{v.x / length, v.y / length, v.z / length} : Vector3{};
}

float clamp01(float v) { return std::min(std::max(v, 0.0f), 1.0f); }


} // namespace

const char* const Layer_CityScene::kControlNames[ControlCount] = {
    "Houses: Cam Down",     "Houses: Grow Ground", "Houses: Grow Outer",    "Houses: Grow Main",
    "Houses: Chase Smoke",  "Houses: Fog Distance", "Smoke: Blow",          "Birds: Flocking Out",
    "Houses: Backlight",    "Houses: CamToPodest",  "Kinect: Move Camera",  "Cloth: Rotator",
    "Kinect: Focus Camera", "Cloth: Burn Blue",
};

Layer_CityScene::Layer_CityScene() : Layer_CityScene(std::make_unique<Layer_Liquid>(true, 25.0f)) {}

Layer_CityScene::Layer_CityScene(std::unique_ptr<Layer_Base> clothLayer) : cloth(std::move(clothLayer)) {}

Layer_CityScene::~Layer_CityScene() = default;

float Layer_CityScene::control(Control c) const { return controls[c] ? controls[c]->value : 0.0f; }

bool Layer_CityScene::init(GL_TextureManager* textures, SyncData* sync) {
    parts.clear();
    partTextures.clear();
    const std::size_t missing = textures->missingPictures();
    for (int i = 0; i < kPartCount; ++i) {
        const std::string stem = std::string("final-") + kPartNames[i];
        auto part = std::make_unique<RawModel>();
        part->load(("data/housemodel/mdl-" + stem + ".txt").c_str());
        parts.push_back(std::move(part));
        const char* kind = i == kWalkway ? "ao-" : "diff-";
        partTextures.push_back(textures->getTexture(("data/housemodel/" + std::string(kind) + stem + ".png").c_str()));
    }
    tower.load("data/housemodel/mdl-final-tower.txt");
    towerTexture = textures->getTexture("data/housemodel/diff-final-tower.png");

    birdTexture = textures->getTexture("data/textures/flyingBird.jpg");
    backlightTexture = textures->getTexture("data/textures/backlight.jpg");
    particleTexture = textures->getTexture("data/textures/particle.jpg");
    cityShader.build("city shader", kCityVertexSource, kCityFragmentSource);
    fogDistanceLocation = uniformLocation(cityShader, "fogDistance");
    fireworksTexture = textures->getTexture("fireworks");

    skyView.set(40, 1.77f, 1, 1000, 0, 70, -1, 0, 100, 106, 0, 1, 0);
    streetView.set(60, 1.77f, 0.1f, 1000, 0, 1, -1, 3, 1.5f, 6, -0.5f, 1, 0);
    currentView = streetView;

    for (int c = 0; c < ControlCount; ++c)
        controls[c] = sync->expectController(kControlNames[c]);

    GL_Texture* atlas = textures->getTexture("data/textures/gazer.png");
    const float smokeA[3] = {0.7f, 0.6f, 0.5f}, smokeB[3] = {0, 0, 0.1f}, smokeC[3] = {0.2f, 0.2f, 0.2f};
    bool ready = smokeBatch.create(atlas, kSmokeParticles, smokeA, smokeB, smokeC);

    buildTrails();
    unsigned total = 0;
    for (unsigned n : trailCount)
        total += n;
    const float trailA[3] = {0.4f, 0.4f, 0.4f}, trailB[3] = {0.1f, 0.1f, 0.1f}, trailC[3] = {0.4f, 0.3f, 0.2f};
    ready = trailBatch.create(atlas, static_cast<int>(total), trailA, trailB, trailC) && ready;
    seedTrailParticles();

    // The shaders, the pictures and the cloth are needed; any that failed fails the layer.
    ready = ready && cityShader.isValid && textures->missingPictures() == missing;
    if (cloth)
        ready = cloth->init(textures, sync) && ready;
    return ready;
}

void Layer_CityScene::seedTrailParticles() {
    int j = 0;
    for (int k = 0; k < kTrailCount; ++k) {
        const TrailPath& s = resampled[k];
        const size_t n = s.size();
        for (unsigned p = 0; p < trailCount[k]; ++p, ++j) {
            const size_t i = static_cast<size_t>(p) * 10;
            const Vector3& here = s[i];
            const Vector3& ahead = s[(i + 10) % n];
            const Vector3 d = normalised(Vector3{ahead.x - here.x, ahead.y - here.y, ahead.z - here.z});
            const float w = d.x + d.y;
            const Vector3 normal{w * -d.z, w * d.z, w * (d.x - d.y)};
            trailBatch.set(j, 2.0f, here, normal, Vector3{}, 1.0f);
        }
    }
}

void Layer_CityScene::update(const FrameInfo& frame) {
    time = frame.time;
    delta = frame.delta;
    const float t = time;
    currentView.interpolate(streetView, skyView, control(CamDown));

    // Grow camera: along the smoothed main trail, closing in as the trail grows.
    const float g = control(GrowMain);
    GL_Camera grow = currentView;
    if (!chasePath.empty()) {
        const float reach = std::min(std::max(g, 0.0f), 1.0f) * static_cast<float>(chasePath.size() - 1);
        const Vector3& p = chasePath[static_cast<size_t>(reach)];
        const float back = 4.0f * g + 1.0f;
        const float sway = portableSin(t);
        const Vector3 up = normalised(Vector3{(1.0f - g) * currentView.upX, 1.0f, 0.0f});
        grow.set(currentView.fovY, currentView.aspect, currentView.zNear, currentView.zFar, p.x - back,
                 p.y + (1.0f - g) * sway * sway, p.z - back, p.x, p.y, p.z, up.x, up.y, up.z);
        const float rest = 1.0f - g;
        currentView.interpolate(grow, currentView, 1.0f - rest * rest * rest * rest);
    }

    // Chase-smoke camera: from high above the grow camera towards the tower.
    const float c = control(ChaseSmoke);
    GL_Camera chase;
    chase.set(currentView.fovY, currentView.aspect, currentView.zNear, currentView.zFar, grow.eyeX + 120.0f * c,
              grow.eyeY + 30.0f, grow.eyeZ + 80.0f, 140.0f, 85.0f + 30.0f * c, 21.088f,
              -0.9f * portableSin(kScenePi * c), 1.0f, 0.0f);
    currentView.interpolate(chase, currentView, c);

    // Podium camera: in front of the tower's top.
    const float p = control(CamToPodest);
    const float f = control(KinectFocus);
    GL_Camera podium;
    podium.set(currentView.fovY, currentView.aspect, currentView.zNear, currentView.zFar, 140.0f,
               200.0f + 10.0f * f, 65.0f - 30.0f * f, 140.0f + 5.0f * portableSin(kScenePi * p + t),
               215.0f + portableCos(t + kScenePi * p + kScenePi * portableSin(t)) + 15.0f * f, 0.0f,
               -0.5f * portableSin(kScenePi * p), 1.0f, 0.0f);
    currentView.interpolate(podium, currentView, p);

    // Kinect camera: close to the performer, drifting.
    const float m = control(KinectMove);
    const float rest = 1.0f - m;
    const float w = portableSin(kScenePi * (1.0f - rest * rest));
    const float a = 2.0f * portableSin(t / 2.0f);
    GL_Camera kinect;
    kinect.set(currentView.fovY, currentView.aspect, currentView.zNear, currentView.zFar,
               2.0f * portableCos(t + a) + 140.0f - 10.0f * w, 2.0f * portableSin(t + 0.2f + a) + 275.0f,
               2.0f * portableCos(t + 4.2f + 2.0f * portableCos(t / 3.0f)) + 50.0f - 30.0f * w, 140.0f,
               260.0f + 1.5f * portableSin(t + 3.0f * portableCos(t / 4.0f)), 0.0f,
               -0.5f * portableSin(kScenePi * m), 1.0f, 0.0f);
    currentView.interpolate(kinect, currentView, m);

    if (cloth)
        cloth->update(frame);
}

void Layer_CityScene::render() {
    currentView.apply();
    glColor4f(1, 1, 1, 1);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);

    if (control(CamDown) > 0.02f) {
        drawHouses();
        if (control(ChaseSmoke) > 0.0f)
            drawTowerAndCloth();
        glEnable(GL_BLEND);
        glDepthMask(GL_FALSE);
        glBlendFunc(GL_ONE, GL_ONE);
        const float v = control(FlockingOut);
        if (v > 0.01f && v < 0.95f)
            drawBirds();
        glDepthMask(GL_TRUE);
        if (control(Backlight) > 0.0f)
            drawBacklight();
        glDisable(GL_BLEND);
    }

    glEnable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if ((control(GrowMain) > 0.001f || control(GrowGround) > 0.001f || control(GrowOuter) > 0.001f) &&
        control(ChaseSmoke) < 0.5f)
        drawTrails();
    else
        trailsShown = false;

    if (control(GrowMain) > 0.85f && control(CamToPodest) < 0.25f)
        drawSmoke();
    else
        drawFireworks();

    glColor4f(1, 1, 1, 1);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
}

void Layer_CityScene::drawHouses() {
    glUseProgram(cityShader.programName);
    glUniform1f(fogDistanceLocation, (1.0f - control(FogDistance)) * 250.0f);
    const bool roofsOnly = control(GrowMain) >= 0.9f;
    const bool blownAway = control(SmokeBlow) >= 0.2f;
    for (size_t i = 0; i < parts.size(); ++i) {
        if ((roofsOnly && static_cast<int>(i) < kFirstRoofPart) || blownAway)
            continue;
        partTextures[i]->bind(GL_TEXTURE0);
        parts[i]->draw();
        partTextures[i]->unbind();
    }
    glUseProgram(0);
}

void Layer_CityScene::drawTowerAndCloth() {
    const float c = control(ChaseSmoke);
    glUseProgram(cityShader.programName);
    towerTexture->bind(GL_TEXTURE0);
    glPushMatrix();
    glTranslatef(140.0f, 65.0f, -20.088f);
    glScalef(1.5f, 1.5f, 1.5f);
    glRotatef(90.0f + 90.0f * c, 0, 1, 0);
    tower.draw();
    // The same tower upside down beneath: the floating island's underside.
    glTranslatef(0, 2, 0);
    glRotatef(180, 0, 0, 1);
    tower.draw();
    glPopMatrix();
    towerTexture->unbind();
    glUseProgram(0);

    glPushMatrix();
    glTranslatef(136.0f, 199.5f + 40.0f * control(KinectMove), -2.0f);
    glRotatef(control(ClothRotator) * 360.0f, 0, 1, 0);
    if (cloth)
        cloth->render();
    glPopMatrix();
}

void Layer_CityScene::drawBirds() {
    const float t = time;
    const float v = control(FlockingOut);
    const float e = 1.0f - (1.0f - v) * (1.0f - v);
    birdTexture->bind(GL_TEXTURE0);
    qelFramework::srand(20);
    // One bird: a quad in the x-y plane showing one frame of the strip; mirror = -1
    // flips it so the bird flies the other way.
    auto bird = [](float x, float y, float a, float mirror, long frame) {
        const float u0 = static_cast<float>(frame % 9) / 9.0f, u1 = static_cast<float>(frame % 9 + 1) / 9.0f;
        const float w = a * mirror;
        glBegin(GL_QUADS);
        glTexCoord2f(u0, 1);
        glVertex3f(x - w, y - a, -15.0f);
        glTexCoord2f(u1, 1);
        glVertex3f(x + w, y - a, -15.0f);
        glTexCoord2f(u1, 0);
        glVertex3f(x + w, y + a, -15.0f);
        glTexCoord2f(u0, 0);
        glVertex3f(x - w, y + a, -15.0f);
        glEnd();
    };
    for (int i = 0; i < 200; ++i) {
        const int r1 = qelFramework::rand() % 1000, r2 = qelFramework::rand() % 1000,
                  r3 = qelFramework::rand() % 1000;
        const int r4 = qelFramework::rand() % 400;
        const int r5 = qelFramework::rand() % 1000, r6 = qelFramework::rand() % 1000,
                  r7 = qelFramework::rand() % 1000, r8 = qelFramework::rand() % 5;
        const int r9 = qelFramework::rand() % 1000, r10 = qelFramework::rand() % 1000,
                  r11 = qelFramework::rand() % 1000, r12 = qelFramework::rand() % 5;
        glColor3f(0.7f + r3 / 2000.0f, 0.5f + r2 / 3000.0f, 0.2f + r1 / 3000.0f);
        const float s = 1.0f + r4 / 200.0f;
        const float h = r6 / 400.0f + (r5 / 1000.0f) * e + 0.2f * v;
        bird(140.0f + 140.0f * s * v, 85.0f + 50.0f * h, 2.0f + r7 / 1000.0f, 1.0f,
             static_cast<long>((12.0f + static_cast<float>(r8)) * t + static_cast<float>(i)));
        const float h2 = r10 / 400.0f + (r9 / 1000.0f) * e;
        bird(140.0f - 140.0f * s * v, 85.0f + 50.0f * h2, 2.0f + r11 / 1000.0f, -1.0f,
             static_cast<long>((12.0f + static_cast<float>(r12)) * t + static_cast<float>(i)));
    }
    birdTexture->unbind();
}

void Layer_CityScene::drawBacklight() {
    const float b = control(Backlight);
    const float c = control(BurnBlue);
    const float b2 = b * b;
    backlightTexture->bind(GL_TEXTURE0);
    glPushMatrix();
    glTranslatef(140.0f, 95.0f + 100.0f * control(CamToPodest), -80.0f);
    glBegin(GL_QUADS);
    glColor3f(1.5f * b2 * (1.0f - 0.6f * c), 1.2f * b2 * (1.0f - 0.8f * c), b2);
    glTexCoord2f(0, 1);
    glVertex3f(-230.0f, 200.0f, 0);
    glTexCoord2f(1, 1);
    glVertex3f(230.0f, 200.0f, 0);
    glColor3f(1.5f * b, 1.2f * b, b);
    glTexCoord2f(1, 0);
    glVertex3f(170.0f, -200.0f, 0);
    glTexCoord2f(0, 0);
    glVertex3f(-170.0f, -200.0f, 0);
    glEnd();
    glPopMatrix();
    backlightTexture->unbind();
}

void Layer_CityScene::drawTrails() {
    // The draw list is copied before this frame's sizes are set, so the trail shows the
    // sizes of the frame before. After a frame without trails those would be stale (at
    // the very start, the seeding's size 2 on every particle): set them first then.
    if (!trailsShown)
        setTrailSizes();
    LitParticleBatch::eyePos = Vector3{currentView.eyeX, currentView.eyeY, currentView.eyeZ};
    trailBatch.copyAndSort();
    setTrailSizes();
    trailBatch.draw();
    trailsShown = true;
}

void Layer_CityScene::drawSmoke() {
    const float t = time;
    const float b = control(SmokeBlow);
    const Vector3 emitter{34.126f, 64.0f, 21.088f};
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    qelFramework::srand(109);
    float u = 0.0f;
    for (int j = 0; j < kSmokeParticles; ++j, u += 0.005f) {
        const float a = std::fmod(u + t / 20.0f, 1.0f);
        const float g = (1.0f - a) * (1.0f - a);
        const float phase = t / 2.0f + kScenePi * u;
        Vector3 p = emitter;
        p.y += 35.0f * (1.0f - g) + 45.0f * b * portableSin(phase + 2.0f * portableCos(8.0f * u + t));
        p.x += 45.0f * b * portableCos(phase + 2.0f * portableSin(6.0f * u + t)) + 450.0f * a * a;
        const Vector3 before = p;
        jitterDirection(p, 15.0f * (1.0f - g), 40.0f * (1.0f - g), 15.0f * (1.0f - g));
        const Vector3 normal = normalised(Vector3{p.x - before.x, p.y - before.y, p.z - before.z});
        const float alpha = clamp01(1.5f * portableSin(kScenePi * a) * (1.0f - 1.5f * b));
        const float size = 4.5f * clamp01(8.0f * a) + 25.0f * a * a + 10.0f * b;
        smokeBatch.set(j, size, p, normal, emitter, alpha);
    }
    LitParticleBatch::eyePos = Vector3{currentView.eyeX, currentView.eyeY, currentView.eyeZ};
    smokeBatch.copyAndSort();
    glEnable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    smokeBatch.draw();
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
}

void Layer_CityScene::drawFireworks() {
    // Without the fireworks layer there is no picture; an empty texture would draw white.
    if (!fireworksTexture || fireworksTexture->textureName == 0)
        return;
    // The picture turns with the camera but never comes closer: the view without its
    // translation.
    GLfloat view[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, view);
    view[12] = view[13] = view[14] = 0.0f;
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(view);
    fireworksTexture->bind(GL_TEXTURE0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1);
    glVertex3f(-100.0f, 75.0f, 120.0f);
    glTexCoord2f(1, 1);
    glVertex3f(100.0f, 75.0f, 120.0f);
    glTexCoord2f(1, 0);
    glVertex3f(100.0f, -25.0f, 120.0f);
    glTexCoord2f(0, 0);
    glVertex3f(-100.0f, -25.0f, 120.0f);
    glEnd();
    fireworksTexture->unbind();
    glDisable(GL_BLEND);
}

void Layer_CityScene::unload() {
    if (cloth)
        cloth->unload();
}

} // namespace qelFramework
