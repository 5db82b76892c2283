#pragma once
// A camera: an orthonormal look-at frame (position, target, direction, right,
// up) that sets the fixed-function projection and model-view matrices when
// its world is drawn, and a view frustum for visibility tests.
struct k_VectorUA;
class IFrustum;

class ICamera
{
public:
    virtual ~ICamera() = default;

    // Returns the caller's tag.
    virtual int GetTag() = 0;
    // Stores a tag for the caller's use; marks the frustum stale.
    virtual void SetTag(int tag) = 0;
    // Moves the eye and re-derives direction, right and up from the target.
    virtual void SetPosition(const k_VectorUA& position) = 0;
    // Moves the target and re-derives direction, right and up from it.
    virtual void SetTarget(const k_VectorUA& target) = 0;
    // Sets the view direction (target = position + direction) and re-derives right and up.
    virtual void SetDirection(const k_VectorUA& direction) = 0;
    // Sets the up vector as given (normalised, not re-orthogonalised) and re-derives right.
    virtual void SetUp(const k_VectorUA& up) = 0;
    // Sets the up vector as the direction from the position to the given point; re-derives right.
    virtual void SetUpPoint(const k_VectorUA& upPoint) = 0;
    // Returns the eye position.
    virtual k_VectorUA GetPosition() = 0;
    // Returns the target point.
    virtual k_VectorUA GetTarget() = 0;
    // Returns the unit view direction.
    virtual k_VectorUA GetDirection() = 0;
    // Returns the unit up vector.
    virtual k_VectorUA GetUp() = 0;
    // Returns the up point (position + up).
    virtual k_VectorUA GetUpPoint() = 0;
    // Returns the unit right vector.
    virtual k_VectorUA GetRight() = 0;
    // Returns the 16 floats of the model-view matrix captured by the last Apply.
    virtual const float* GetViewMatrix() = 0;
    // Loads the given 16 floats into the current GL matrix; the camera itself is unchanged.
    virtual void LoadMatrix(const float* matrix) = 0;
    // Sets the vertical field of view in degrees (used by Apply).
    virtual void SetFieldOfView(float degrees) = 0;
    // Returns the vertical field of view in degrees.
    virtual float GetFieldOfView() = 0;
    // Sets the projection and look-at model-view matrices and captures the view matrix.
    virtual void Apply() = 0;
    // Returns the camera's frustum, brought up to date first if a setter changed the frame.
    virtual IFrustum* GetFrustum() = 0;
};
